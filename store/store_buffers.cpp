#include "store/store_buffers.h"

namespace brevicor {

char g_columnBuffer1[kColumnBufferSize];
char g_columnBuffer2[kColumnBufferSize];
SQLLEN g_columnIndicator1 = 0;
SQLLEN g_columnIndicator2 = 0;

} // namespace brevicor
