#pragma once

#include <QString>

namespace lumeria {

// The runtime's I/O error codes. They are what the reader's messages are keyed
// by, so errno values are mapped onto them rather than shown directly.
namespace io {
inline constexpr int kOk = 0;
inline constexpr int kInvalidFunction = 1;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kOutOfMemory = 8;
inline constexpr int kInvalidAccessCode = 12;
inline constexpr int kInvalidDrive = 15;
inline constexpr int kCannotRemoveCurrentDir = 16;
inline constexpr int kReadError = 100;
inline constexpr int kDiskFull = 101;
inline constexpr int kInvalidFormat = 106;
inline constexpr int kWriteProtected = 150;
inline constexpr int kDeviceWriteFault = 160;
inline constexpr int kDeviceReadFault = 161;
inline constexpr int kHardwareFailure = 162;
inline constexpr int kTempFileFailed = 10001;
// Not an I/O code: what reading a name that the container lacks returns.
inline constexpr int kNotInContainer = -2;
} // namespace io

enum class IoOp { Read, Write, Other };

// Maps errno onto the runtime's codes. The operation decides the meaning of
// EIO: a failing read is a read error, a failing write is a full disk.
int ioCodeFromErrno(int err, IoOp op = IoOp::Other);

// The player's own French text for a code (string resources 1001 to 1025):
// empty for 0, "Erreur inconnue n°" and the number for codes it does not know.
QString ioErrorText(int code);

} // namespace lumeria
