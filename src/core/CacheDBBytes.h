#pragma once
// The records of Caches.bin as the file holds them, for readers that must keep a million of them.
#include <string>

namespace vellora {

class RunContext;

// As LoadAllCaches, but the records stay as the file holds them, kCacheRecSize bytes each: a copy
// of the size of the file, without an allocation per record.
std::string LoadAllCacheBytes(RunContext& ctx, bool* complete = nullptr,
                              const char* progressText = "Cache-DB wird gelesen");

}  // namespace vellora
