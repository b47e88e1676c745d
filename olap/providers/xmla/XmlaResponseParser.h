#pragma once

#include "olap/providers/xmla/HttpTransport.h"
#include "olap/providers/xmla/XmlaRowset.h"
#include "olap/query/CellSet.h"

#include <memory>
#include <string>
#include <string_view>

namespace olap::providers::xmla {

//! Reads one XMLA answer: a SOAP envelope holding a DiscoverResponse or ExecuteResponse whose
//! return holds a rowset or a multidimensional data set (MDDataSet).
//!
//! The constructor throws OlapError, carrying the server's own text where it gave one, for:
//! an HTTP error status (401 says the credentials were refused), a SOAP fault (also when it
//! comes with HTTP 200), an error inside the result, a body that is not XML, is cut short or
//! is not a SOAP/XMLA answer (wrong element or namespace). The whole body is parsed in memory;
//! its size is bounded by the transport's response limit.
class XmlaResponseParser {
public:
    //! A cell set holds at most this many cells (positions of all axes multiplied), so that a
    //! sparse answer cannot make the dense cell vector exhaust memory.
    static constexpr std::size_t kMaxCells = std::size_t {1} << 22;

    //! Parses RESPONSE; SERVER names the server in messages.
    XmlaResponseParser(const HttpResponse& response, std::string_view server);
    ~XmlaResponseParser();
    XmlaResponseParser(const XmlaResponseParser&) = delete;
    XmlaResponseParser& operator=(const XmlaResponseParser&) = delete;

    //! The SessionId of a Session element in the SOAP header, or "".
    const std::string& SessionId() const;

    //! The answer as a cell set: axes in ordinal order with their tuples, the slicer, and the
    //! cells by CellOrdinal (cells the server left out are empty). Throws OlapError when the
    //! answer holds no MDDataSet or an inconsistent one (an ordinal outside the cell set, an
    //! axis missing, more than kMaxCells cells).
    CellSet ToCellSet() const;

    //! The answer as a rowset with the inline schema's column types. DRILLTHROUGH tells that the
    //! rows answer a drill-through, whose leading row-count row (sent by some servers) is taken
    //! out into totalRows. Throws OlapError when the answer is not a rowset.
    XmlaRowset ToRowset(bool drillthrough = false) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace olap::providers::xmla
