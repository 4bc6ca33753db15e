#include "platform/IoError.h"

#include <cerrno>

namespace lumeria {

int ioCodeFromErrno(int err, IoOp op)
{
    switch (err) {
    case 0: return io::kOk;
    case ENOENT: return io::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return io::kPathNotFound;
    case EMFILE:
    case ENFILE: return io::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case ETXTBSY:
    case EISDIR:
    case EEXIST: return io::kAccessDenied;
    case EBADF: return io::kInvalidHandle;
    case ENOMEM: return io::kOutOfMemory;
    case EINVAL: return io::kInvalidAccessCode;
    case ENODEV:
    case ENXIO: return io::kInvalidDrive;
    case EBUSY: return io::kCannotRemoveCurrentDir;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return io::kDiskFull;
    case EROFS: return io::kWriteProtected;
    case EIO: return op == IoOp::Write ? io::kDiskFull : io::kReadError;
    default: return op == IoOp::Write ? io::kDeviceWriteFault : io::kReadError;
    }
}

QString ioErrorText(int code)
{
    switch (code) {
    case 0: return {};
    case 1: return QStringLiteral("Fonction DOS invalide !");
    case 2: return QStringLiteral("Fichier introuvable !");
    case 3: return QStringLiteral("Nom de fichier ou de répertoire invalide !");
    case 4: return QStringLiteral("Trop de fichiers sont ouverts !");
    case 5: return QStringLiteral("Accès refusé !");
    case 6: return QStringLiteral("Identificateur de fichier invalide !");
    case 8: return QStringLiteral("Pas assez de mémoire !");
    case 12: return QStringLiteral("Code d'accès au fichier invalide !");
    case 15: return QStringLiteral("Lecteur invalide !");
    case 16: return QStringLiteral("Impossible de supprimer le répertoire en cours.");
    case 100: return QStringLiteral("Erreur de lecture sur le disque ! Le fichier est peut-être endommagé.");
    case 101: return QStringLiteral("Le disque est plein !");
    case 106: return QStringLiteral("Format de fichier invalide !");
    case 150: return QStringLiteral("Le disque est protégé en écriture !");
    case 152: return QStringLiteral("Le disque est vide !");
    case 154: return QStringLiteral("Erreur de CRC dans les données !");
    case 156: return QStringLiteral("Erreur de positionnement sur le disque !");
    case 157: return QStringLiteral("Type de support inconnu !");
    case 158: return QStringLiteral("Secteur introuvable !");
    case 159: return QStringLiteral("L'imprimante n'a plus de papier !");
    case 160: return QStringLiteral("Erreur d'écriture sur le périphérique !");
    case 161: return QStringLiteral("Erreur de lecture sur le périphérique !");
    case 162: return QStringLiteral("Défaillance au niveau du matériel !");
    case 10001: return QStringLiteral("Impossible de créer un fichier temporaire !");
    default: return QStringLiteral("Erreur inconnue n°") + QString::number(code);
    }
}

} // namespace lumeria
