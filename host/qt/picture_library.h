// Decodes each built-in picture once and hands out shared picture objects.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "game/host.h"

namespace poromea::qt {

struct QtPicture final : Picture {
    QtPicture(QString n, QPixmap p) : name(std::move(n)), pixmap(std::move(p)) {}
    QString name;   // resource name, e.g. "cover3"
    QPixmap pixmap;
};

inline const QtPicture& qtPicture(const PictureRef& p) { return static_cast<const QtPicture&>(*p); }

class PictureLibrary {
public:
    // `directory` holds the pictures; the built-in ones are under ":/pictures".
    explicit PictureLibrary(QString directory = QStringLiteral(":/pictures"))
        : directory_(std::move(directory)) {}

    // The picture called `name` ("part0", "banner", ...). Throws if it is
    // missing or cannot be decoded.
    PictureRef get(const QString& name);

private:
    QString directory_;
    std::optional<QStringList> files_;  // the folder's file names, listed on first use
    QHash<QString, PictureRef> cache_;
};

}  // namespace poromea::qt
