#pragma once

#include "olap/query/CancellationToken.h"

#include <atomic>
#include <cstddef>
#include <string>

namespace olap::providers::xmla {

//! One SOAP POST: the address, the SOAPAction header's value and the XML body.
struct HttpRequest {
    std::string url;
    std::string soapAction;
    std::string body;
};

//! What came back: the HTTP status, the Content-Type header and the whole body.
struct HttpResponse {
    long status = 0;
    std::string contentType;
    std::string body;
};

//! How a request is sent. Credentials go out as HTTP basic authentication, and only over
//! https: a transport refuses to send them in clear text.
struct HttpOptions {
    //! The default limit on a response body (256 MB), which the connection string's
    //! "Max Response Size" raises or lowers.
    static constexpr std::size_t kDefaultMaxResponseBytes = std::size_t {256} * 1024 * 1024;

    std::string user;
    std::string password;
    //! Seconds to wait for the connection to the server; 0 waits as long as the system does.
    long connectTimeoutSeconds = 0;
    //! Seconds the whole request may take; 0 means no limit.
    long timeoutSeconds = 0;
    //! A body larger than this fails the request without being kept.
    std::size_t maxResponseBytes = kDefaultMaxResponseBytes;
    //! When set and it becomes true, the running request stops and fails as cancelled.
    const std::atomic<bool>* cancel = nullptr;
    //! A query's token (the pivot's cancel): when cancelled, the request stops the same way.
    const CancellationToken* token = nullptr;
};

//! Sends SOAP requests to an XMLA server. The production transport is CurlHttpTransport;
//! tests put a fake in its place, so that no test needs the network.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    //! Sends REQUEST and returns the response whatever its HTTP status. Throws OlapError when
    //! no response arrives (no connection, a certificate that does not verify, a time-out, a
    //! body over the size limit, cancellation); the message never holds the password.
    virtual HttpResponse Post(const HttpRequest& request, const HttpOptions& options) = 0;
};

} // namespace olap::providers::xmla
