#include "olap/providers/xmla/CurlHttpTransport.h"

#include "olap/providers/xmla/XmlaAddress.h"
#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace olap::providers::xmla {
namespace {

struct Transfer {
    std::string body;
    std::size_t limit = 0;
    bool overLimit = false;
    const std::atomic<bool>* cancel = nullptr;
    const CancellationToken* token = nullptr;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->limit) {
        transfer->overLimit = true;
        return 0; // makes curl stop with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<const Transfer*>(user);
    const bool cancelled
        = (transfer->cancel && transfer->cancel->load()) || (transfer->token && transfer->token->IsCancelled());
    return cancelled ? 1 : 0;
}

std::string SizeText(std::size_t bytes)
{
    constexpr std::size_t kMegabyte = std::size_t {1024} * 1024;
    if (bytes % kMegabyte == 0)
        return std::to_string(bytes / kMegabyte) + " MB";
    return std::to_string(bytes) + " bytes";
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

CurlHttpTransport::CurlHttpTransport()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResponse CurlHttpTransport::Post(const HttpRequest& request, const HttpOptions& options)
{
    const std::string redacted = RedactedAddress(request.url);
    const bool hasCredentials = !options.user.empty() || !options.password.empty() || redacted != request.url;
    const std::string shown = ShortForMessage(redacted);
    if (hasCredentials && !IsHttpsAddress(request.url))
        throw OlapError("The connection to '" + shown
            + "' carries a user name and password, which are sent only over https; use an https:// address");

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        throw OlapError("Cannot prepare a request to '" + shown + "': the HTTP library could not start");
    std::unique_ptr<curl_slist, ListDeleter> headers;
    auto addHeader = [&headers](const std::string& header) {
        curl_slist* grown = curl_slist_append(headers.get(), header.c_str());
        if (grown)
            static_cast<void>(headers.release());
        headers.reset(grown);
    };
    addHeader("Content-Type: text/xml; charset=utf-8");
    addHeader("SOAPAction: \"" + request.soapAction + "\"");
    addHeader("Expect:");

    Transfer transfer;
    transfer.limit = options.maxResponseBytes;
    transfer.cancel = options.cancel;
    transfer.token = options.token;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxResponseBytes));
    if (options.connectTimeoutSeconds > 0)
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    if (options.timeoutSeconds > 0)
        curl_easy_setopt(h, CURLOPT_TIMEOUT, options.timeoutSeconds);
    if (hasCredentials) {
        curl_easy_setopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(h, CURLOPT_USERNAME, options.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, options.password.c_str());
    }

    const CURLcode code = curl_easy_perform(h);
    const std::string detail = errorText[0] ? std::string(errorText) : std::string(curl_easy_strerror(code));
    switch (code) {
    case CURLE_OK:
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        throw OlapError("The request to '" + shown + "' was cancelled");
    case CURLE_WRITE_ERROR:
    case CURLE_FILESIZE_EXCEEDED:
        if (transfer.overLimit || code == CURLE_FILESIZE_EXCEEDED)
            throw OlapError("The answer of '" + shown + "' is larger than the limit of "
                + SizeText(options.maxResponseBytes)
                + "; narrow the query or raise \"Max Response Size\" (in MB) in the connection string");
        throw OlapError("Cannot read the answer of '" + shown + "': " + detail);
    case CURLE_OPERATION_TIMEDOUT:
        throw OlapError("The OLAP server '" + shown + "' did not answer in time (" + detail
            + "); \"Connect Timeout\" and \"Timeout\" in the connection string set the limits in seconds");
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CONNECT_ERROR:
        throw OlapError("The secure connection to '" + shown
            + "' failed: the server's certificate could not be verified (" + detail + ")");
    default:
        throw OlapError("Cannot reach the OLAP server '" + shown + "': " + detail);
    }

    HttpResponse response;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
    const char* contentType = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        response.contentType = contentType;
    response.body = std::move(transfer.body);
    return response;
}

} // namespace olap::providers::xmla
