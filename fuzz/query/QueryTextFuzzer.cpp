// Fuzzes the query forms' text handling. Any bytes must split without a crash or a sanitizer
// report; without an escape character and without trimming, the pieces joined by the one
// delimiter give the text back. Hiding passwords must survive any connection string and message.

#include "control/query/ConnectStringComposer.h"
#include "control/query/SplitEscaped.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const QStringList plain = SplitEscaped(text, QStringLiteral("~"), QString(), false);
    if (plain.isEmpty() || plain.join(QLatin1Char('~')) != text)
        std::abort();
    const QStringList escaped = SplitEscaped(text, QStringLiteral("~."), QStringLiteral("\\"), true);
    if (escaped.isEmpty() || escaped.size() > text.size() + 1)
        std::abort();
    const QStringList path = SplitEscaped(text, QStringLiteral("\\"), QStringLiteral("\\"), true);
    if (path.isEmpty())
        std::abort();

    // The first line is the connection string, the rest the message that may quote it.
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    const QString connection = newline < 0 ? text : text.left(newline);
    const QString message = newline < 0 ? text : text.mid(newline + 1);
    ConnectStringComposer::HidePasswords(message, connection);
    return 0;
}
