#pragma once

#include "store/odbc_session.h"

// The column buffers shared by every reading operation of the store. Operations never nest, so
// one pair serves them all and fetching allocates nothing.
namespace brevicor {

extern char g_columnBuffer1[kColumnBufferSize];
extern char g_columnBuffer2[kColumnBufferSize];
extern SQLLEN g_columnIndicator1;
extern SQLLEN g_columnIndicator2;

} // namespace brevicor
