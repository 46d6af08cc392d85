#pragma once
// File-system helpers. Paths are byte strings as the operating system takes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

bool fileExists(const std::string& path);
bool dirExists(const std::string& path);
std::optional<std::uint64_t> fileSize(const std::string& path);

// Whole file; nothing when it cannot be read (errorCode receives errno).
std::optional<std::string> readFile(const std::string& path, int* errorCode = nullptr);

// Writes through a temporary file in the same directory and a rename, so that the old
// file stays whole when anything fails. Returns 0 or the errno of the failure.
int writeFileAtomic(const std::string& path, std::string_view data);
// As above; on failure tells whether the file could not be created (temporary file or rename)
// or its data could not be written.
enum class AtomicWriteFailure { None, Create, Write };
int writeFileAtomic(const std::string& path, std::string_view data, AtomicWriteFailure& failure);

// Removes the atomic writer's temporary files in dir ("NAME.vtmpPID_N") whose process is gone
// (another run may be writing the others); true when there were any.
bool removeStaleTempFiles(const std::string& dir);
// The same in the directory that holds path (a writer's target).
bool removeStaleTempFilesBeside(const std::string& path);

// Creates the directory and its parents; returns 0 or errno.
int makeDirs(const std::string& path);
// Deletes a file; returns 0 or errno.
int removeFile(const std::string& path);

// "*" and "?" wildcards, compared without regard to case.
bool matchesMask(std::string_view name, std::string_view mask);
// Names of the plain files in dir that match the mask, sorted by name.
std::vector<std::string> listFiles(const std::string& dir, std::string_view mask = "*");
// Names of the subdirectories of dir, sorted by name.
std::vector<std::string> listDirs(const std::string& dir);

// "dir/" + name, with exactly one "/" between them.
std::string joinPath(std::string_view dir, std::string_view name);
// Directory part of a path ("/a/b/c.txt" -> "/a/b/"); accepts "/" and "\\" as separators.
std::string extractFilePath(std::string_view path);
// Name part of a path ("/a/b/c.txt" -> "c.txt"); accepts "/" and "\\" as separators.
std::string extractFileName(std::string_view path);
// Appends "/" when the path does not end in a separator.
std::string withTrailingSlash(std::string_view path);
std::string withoutTrailingSlash(std::string_view path);

// Creates the directory if needed and writes, closes and removes a probe file in it: 0 when all of
// that worked, else the system error code (the directory stays as created).
int probeWritableDir(const std::string& dir);

// The operating system's message text for an error code.
std::string systemErrorText(int code);

}  // namespace vellora
