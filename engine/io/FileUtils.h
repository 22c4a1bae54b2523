#pragma once
// Naming, finding, creating and removing files and folders: where the game
// keeps its writable data (the maker and game folders under the XDG data
// home), where it reads its data, how a player's name becomes a safe file
// name, and how paths from data files are normalised.
#include <string>

#include "engine/io/eArchiveType.h"

namespace ZQ2 {

// Folders. The first three are created (0750) when first asked for and then
// cached; call them on the main thread before other threads need them.

// <XDG data home>/Fablewood.
std::string GetLocalAppsDirPath();
// GetLocalAppsDirPath() + "/" + the game id. Not cached until the game id is known.
std::string GetGameSaveDirPath();
// GetGameSaveDirPath() + "/_temp". Not cached until the game id is known.
std::string GetTempDirPath();
// The folder "data" beside the executable; "" when the executable is not found.
std::string GetDataPath();
// The current folder, or "" when it cannot be read.
std::string GetWorkPath();
bool SetWorkPath(const std::string& path);
// Always "" on this platform.
std::string GetApplicationPath();

// Creates path and every missing parent folder (0750 each); backslashes
// separate folders too. True when path exists afterwards.
bool CreatePath(const std::string& path);
bool PathExists(const std::string& path);
// path itself, or path taken below the current folder.
bool FileExists(const std::string& path);
bool DeleteFile(const std::string& path);
// Renames an unreadable file to path + ".unreadable" (replacing an older
// one), so that it is kept but no longer read; false when nothing moved.
bool SetFileAside(const std::string& path);
// Removes a folder with everything in it. Refuses "", ".", ".." and "/",
// paths ending in those components, and paths ending in "/" (whose last
// component is empty).
bool RemoveDir(const std::string& path);
// Fails when to exists already; folders are copied with their content.
bool CopyFile(const std::string& from, const std::string& to);
// Permissions 0666.
bool GrantAllFilePermissions(const std::string& path);
// The file's length in bytes, 0 when it cannot be opened.
long GetFileSize(const std::string& path);
// path with the home folder written as "~" (for messages).
std::string PathWithTilde(const std::string& path);
// The containing folder's name, "/" and the last component (for log headers).
std::string ShortenPath(const std::string& path);

// Names and paths (pure).

// Backslashes become "/", runs of "/" collapse to one and every "./" is deleted.
std::string MakeValidPath(const std::string& path);
// MakeValidPath, without one leading "/", in lower case: the key of resource files.
std::string MakeStandardFileName(const std::string& path);
std::string GetFileNameOnly(const std::string& path);
std::string GetDirectoryOnly(const std::string& path);
// The lower-cased text after the last ".", "" when the name ends in "."; a
// name without "." comes back unchanged.
std::string GetExtension(const std::string& name);
std::string RemoveExtension(const std::string& name);
// Escapes control characters, a leading "." or space, and * + # : ? [ ] | < > / \ "
// as "#" and the byte in two upper-case hexadecimal digits. The bool has no effect.
std::string MakeValidFileName(const std::string& name, bool unused = false);
// Reads the escapes of MakeValidFileName back.
std::string GetOriginalFileName(const std::string& name);
// file with ".!" appended for the enciphered types; type 0 asks the data archive.
std::string GetEncryptFileName(const std::string& file, eArchiveType type);

}  // namespace ZQ2
