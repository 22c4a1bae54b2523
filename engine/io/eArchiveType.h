#pragma once
// Where a data file is read from. Enciphered files and members carry ".!"
// after their normal name.

namespace ZQ2 {

enum eArchiveType : int {
    ARCHIVE_DEFAULT = 0,       // follow the global type (as an argument only)
    ARCHIVE_FILE = 1,          // plain file
    ARCHIVE_ZIP = 2,           // member of the zip archive
    ARCHIVE_ENCRYPT_FILE = 3,  // enciphered plain file
    ARCHIVE_ENCRYPT_ZIP = 4,   // enciphered member of the zip archive
};

}  // namespace ZQ2
