#include "support/TempRegistry.h"

#include "platform/dispatch/ComRuntime.h"
#include "platform/dispatch/Variant.h"
#include "platform/messages/MessageTarget.h"
#include "platform/messages/RegisteredMessages.h"

#include <QFile>

#include <gtest/gtest.h>

#include <set>

using namespace platform;

namespace {

TEST(RegisteredMessages, NamesGiveStableDistinctIds)
{
    const char* names[] = {"T_USER_INST", "T_INST", "T_NEW_INST1", "T_NEW_INST7", "T_INST_UPDATE"};
    std::set<unsigned> ids;
    for (const char* name : names) {
        const unsigned id = RegisteredMessages::Register(QLatin1String(name));
        EXPECT_GE(id, 0xC000u);
        EXPECT_EQ(RegisteredMessages::Register(QLatin1String(name)), id);
        EXPECT_EQ(RegisteredMessages::Register(QString::fromLatin1(name).toLower()), id);
        EXPECT_EQ(RegisteredMessages::NameOf(id), QLatin1String(name));
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), std::size(names));
    EXPECT_EQ(RegisteredMessages::Register(QString()), 0u);
}

TEST(RegisteredMessages, SendRunsTheHandlerSynchronously)
{
    struct Target : MessageTarget {
        std::intptr_t OnMessage(unsigned id, std::uintptr_t w, std::intptr_t l) override
        {
            seen = id;
            return static_cast<std::intptr_t>(w) + l;
        }
        unsigned seen = 0;
    } target;
    const unsigned id = RegisteredMessages::Register(QStringLiteral("T_SEND"));
    EXPECT_EQ(RegisteredMessages::Send(&target, id, 2, 3), 5);
    EXPECT_EQ(target.seen, id);
    EXPECT_EQ(RegisteredMessages::Send(nullptr, id), 0);
}

TEST(Variant, ConversionsAsAutomationDoes)
{
    EXPECT_EQ(Variant(std::int32_t {7}).toString(), QStringLiteral("7"));
    EXPECT_EQ(Variant(QStringLiteral(" 12 ")).toInt(), 12);
    EXPECT_EQ(Variant(2.5).toInt(), 3);
    EXPECT_EQ(Variant(1e20).toInt(), 0);
    EXPECT_EQ(Variant(true).toInt(), -1);
    EXPECT_TRUE(Variant(QStringLiteral("True")).toBool());
    EXPECT_TRUE(Variant().isEmpty());
    EXPECT_EQ(Variant(std::vector<Variant> {1, "a"}), Variant(std::vector<Variant> {1, "a"}));
}

TEST(ComRuntime, CreatesTheControlByClassId)
{
    TempRegistry root;
    ASSERT_TRUE(ComRuntime::Initialize());
    const QString control = QStringLiteral("{E07F1004-ECB4-4627-8E85-82D239281510}");
    std::shared_ptr<IDispatchObject> object;
    EXPECT_EQ(ComRuntime::CreateInstance(control, &object), kRegdbEClassNotReg);

    QString error;
    ASSERT_EQ(ComRuntime::RegisterServerLibrary(QStringLiteral(HEXMOOR2_PATH), false, &error), kSOk)
        << error.toStdString();
    EXPECT_EQ(ComRuntime::LibraryOf(control), QStringLiteral(HEXMOOR2_PATH));
    ASSERT_EQ(ComRuntime::CreateInstance(control, &object, &error), kSOk) << error.toStdString();
    ASSERT_TRUE(object);
    Variant result;
    std::vector<Variant> none;
    EXPECT_EQ(object->Invoke(99999, InvokeKind::Method, none, &result, nullptr), kDispEMemberNotFound);

    // The schema utility is registered with the control and driven the same way.
    const QString util = QStringLiteral("{B043360C-F578-4901-B3FD-B02157C8E168}");
    std::shared_ptr<IDispatchObject> schema;
    ASSERT_EQ(ComRuntime::CreateInstance(util, &schema, &error), kSOk) << error.toStdString();
    std::vector<Variant> args {Variant("SELECT FROM [Sales]"), Variant("Provider=MSOLAP.2; Data Source=/none/x.cub")};
    ASSERT_EQ(schema->Invoke(0x6003001D, InvokeKind::Method, args, &result, nullptr), kSOk);
    EXPECT_TRUE(result.toString().contains(QStringLiteral("x.cub"))) << result.toString().toStdString();

    EXPECT_EQ(ComRuntime::RegisterServerLibrary(QStringLiteral(HEXMOOR2_PATH), true, &error), kSOk);
    EXPECT_EQ(ComRuntime::CreateInstance(control, &object), kRegdbEClassNotReg);
    EXPECT_EQ(ComRuntime::CreateInstance(util, &schema), kRegdbEClassNotReg);
}

TEST(ComRuntime, DamagedClassRegistryFailsToStart)
{
    TempRegistry root;
    QFile hive(root.HiveFile("ClassesRoot"));
    ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
    hive.write("not a hive");
    hive.close();
    QString why;
    EXPECT_FALSE(ComRuntime::Initialize(&why));
    EXPECT_TRUE(why.contains(QStringLiteral("ClassesRoot"))) << why.toStdString();
}

} // namespace
