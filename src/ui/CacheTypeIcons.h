#pragma once
// Small pictures for the cache types, by CacheTypeCode (0 Traditional ... 9 Earthcache, 10 any
// other type): a coloured badge with the type's letter, drawn here so that no image files are
// needed.
#include <QIcon>
#include <QPixmap>

namespace vellora {

// The badge of a type code at the given edge length in device-independent pixels.
QPixmap cacheTypePixmap(int typeCode, int size);
// The badge as an icon for lists, in the usual small sizes.
QIcon cacheTypeIcon(int typeCode);

}  // namespace vellora
