#pragma once

#include "olap/util/OlapError.h"

#include <string>

namespace olap::providers::xmla {

//! An error the XMLA server reported (a SOAP fault or an error inside a result). FAULTCODE is
//! the SOAP fault code without prefix ("Client.00HSBD01", "Server"); a code starting with
//! "Client" means the request itself, for an Execute the statement, was in error.
class XmlaServerError : public OlapError {
public:
    XmlaServerError(const std::string& message, std::string faultCode)
        : OlapError(message), m_faultCode(std::move(faultCode))
    {
    }

    const std::string& FaultCode() const { return m_faultCode; }
    bool IsClientFault() const { return m_faultCode.rfind("Client", 0) == 0; }

private:
    std::string m_faultCode;
};

} // namespace olap::providers::xmla
