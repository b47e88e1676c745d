#include "catalogue/CXHtmlTreeNotify.h"

int CXHtmlTreeNotify::OnXHtmlTreeCheckboxClicked(const XHtmlTreeMessage&)
{
    return 0;
}
int CXHtmlTreeNotify::OnXHtmlTreeItemExpanded(const XHtmlTreeMessage&)
{
    return 0;
}
int CXHtmlTreeNotify::OnXHtmlTreeDisplayTooltip(const XHtmlTreeMessage&)
{
    return 0;
}
int CXHtmlTreeNotify::OnXHtmlTreeInitTooltip(const XHtmlTreeMessage&)
{
    return 0;
}
int CXHtmlTreeNotify::OnXHtmlTreeBeginDrag(const XHtmlTreeMessage&)
{
    return 0;
}
int CXHtmlTreeNotify::OnXHtmlTreeEndDrag(const XHtmlTreeMessage&)
{
    return 0;
}
int CXHtmlTreeNotify::OnXHtmlTreeDropHover(const XHtmlTreeMessage&)
{
    return 0;
}
