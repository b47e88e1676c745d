#pragma once

#include "olap/providers/xmla/HttpTransport.h"

#include <string>
#include <utility>
#include <vector>

namespace xmlatest {

//! Answers XMLA requests from canned responses instead of the network: the first rule whose
//! text occurs in the request body gives the answer; every request is kept for inspection.
class FakeHttpTransport : public olap::providers::xmla::HttpTransport {
public:
    void Answer(std::string whenBodyHolds, olap::providers::xmla::HttpResponse response)
    {
        m_rules.emplace_back(std::move(whenBodyHolds), std::move(response));
    }

    olap::providers::xmla::HttpResponse Post(
        const olap::providers::xmla::HttpRequest& request, const olap::providers::xmla::HttpOptions& options) override
    {
        requests.push_back(request);
        lastOptions = options;
        for (const auto& [text, response] : m_rules) {
            if (request.body.find(text) != std::string::npos)
                return response;
        }
        return {404, "text/plain", "no canned answer"};
    }

    std::vector<olap::providers::xmla::HttpRequest> requests;
    olap::providers::xmla::HttpOptions lastOptions;

private:
    std::vector<std::pair<std::string, olap::providers::xmla::HttpResponse>> m_rules;
};

//! A recorded response file from tests/xmla/data: "HTTP/1.1 200 OK" headers, a blank line and
//! the body, or the body alone (status 200).
olap::providers::xmla::HttpResponse RecordedResponse(const std::string& file);

//! A SOAP envelope holding BODYCONTENT in an XMLA response element (ExecuteResponse unless
//! ANSWER names another), for hand-made answers.
std::string XmlaEnvelope(const std::string& rootContent, const std::string& rootNamespace,
    const std::string& answer = "ExecuteResponse", const std::string& header = {});

} // namespace xmlatest
