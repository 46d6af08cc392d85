#pragma once
// The pictures of the cache types by CacheTypeCode: the program's pictures "type0" to "type9",
// and for any other type (code 10) a plain grey badge drawn here.
#include <QIcon>

namespace vellora {

QIcon cacheTypeIcon(int typeCode);

}  // namespace vellora
