#pragma once

#include "olap/providers/xmla/HttpTransport.h"

namespace olap::providers::xmla {

//! HttpTransport over libcurl: certificate and host checks stay on, redirects are not
//! followed (a POST with credentials must not wander), and the body is kept in memory up to
//! the options' size limit. Each Post uses its own handle, so one transport may serve
//! several threads.
class CurlHttpTransport : public HttpTransport {
public:
    CurlHttpTransport();
    HttpResponse Post(const HttpRequest& request, const HttpOptions& options) override;
};

} // namespace olap::providers::xmla
