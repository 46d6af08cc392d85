#pragma once
// Files made from a world without a server, for benchmarks and tests: the cache database
// (Caches.bin with its index Caches.idx), a GPX pocket query of any size, and the country files.
#include <string>

#include "sim/World.h"

namespace vellora::sim {

// Writes dir/Caches.bin (one record per cache, world order) and dir/Caches.idx. Returns 0 or the
// errno of the failed write.
int writeCacheDatabase(const World& world, const std::string& dir);

// Writes a pocket query of the `count` caches nearest to the world's home (0 = all) to path, in
// UTF-8; base is the listing site's address its links name. Returns 0 or the errno.
int writePocketQuery(const World& world, const std::string& path, int count, const std::string& base);
// The same as text.
std::string pocketQueryText(const World& world, int count, const std::string& base);

// Writes every country file and its zip into dir. Returns 0 or the errno.
int writeCountryFiles(const World& world, const std::string& dir);

}  // namespace vellora::sim
