// The conversions of picture transfer: one state per GetData, a reader per source format.
#pragma once

#include <windows.h>
#include <ole2.h>

class IWDataObject;

namespace picconv {

// The request matches format by the data objects' rule: format numbers equal, aspects
// sharing a bit (or equal), medium kinds sharing a bit.
bool Matches(const FORMATETC& format, const FORMATETC& request);

// GetData of a picture holding the formats in held (IWXferPicture::gotfmts): reads the
// held formats through picture's own offers and answers request in out, converting.
// out is emptied first and stays empty unless the answer is S_OK.
HRESULT Convert(IWDataObject* picture, unsigned held, const FORMATETC& request, STGMEDIUM& out);

// Frees the null reader's state.
void ReleaseNullReader();

}  // namespace picconv
