#include "platform/IoError.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace lumeria {
namespace {

TEST(IoError, ErrnoMapsOntoRuntimeCodes)
{
    EXPECT_EQ(ioCodeFromErrno(ENOENT), io::kFileNotFound);
    EXPECT_EQ(ioCodeFromErrno(ENOTDIR), io::kPathNotFound);
    EXPECT_EQ(ioCodeFromErrno(EACCES), io::kAccessDenied);
    EXPECT_EQ(ioCodeFromErrno(EMFILE), io::kTooManyOpenFiles);
    EXPECT_EQ(ioCodeFromErrno(ENOSPC, IoOp::Write), io::kDiskFull);
    EXPECT_EQ(ioCodeFromErrno(EROFS, IoOp::Write), io::kWriteProtected);
    EXPECT_EQ(ioCodeFromErrno(EIO, IoOp::Read), io::kReadError);
    EXPECT_EQ(ioCodeFromErrno(EIO, IoOp::Write), io::kDiskFull);
}

TEST(IoError, TextsAreThePlayersOwn)
{
    EXPECT_TRUE(ioErrorText(0).isEmpty());
    EXPECT_EQ(ioErrorText(2), QStringLiteral("Fichier introuvable !"));
    EXPECT_EQ(ioErrorText(100),
              QStringLiteral("Erreur de lecture sur le disque ! Le fichier est peut-être endommagé."));
    EXPECT_EQ(ioErrorText(10001), QStringLiteral("Impossible de créer un fichier temporaire !"));
    EXPECT_EQ(ioErrorText(-2), QStringLiteral("Erreur inconnue n°-2"));
    EXPECT_EQ(ioErrorText(7), QStringLiteral("Erreur inconnue n°7"));
}

} // namespace
} // namespace lumeria
