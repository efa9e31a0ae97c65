// Decodes each built-in picture once and hands out shared picture objects.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "game/host.h"

namespace poromea::qt {

struct QtPicture final : Picture {
    // `denser`: the files of the same picture drawn for dense screens, by density (2 for name@2x.png).
    QtPicture(QString n, QPixmap p, std::map<int, QString> denser)
        : name(std::move(n)), pixmap(std::move(p)), denser_(std::move(denser)) {}
    QString name;   // resource name, e.g. "cover3"
    QPixmap pixmap; // as designed, one pixel a pixel

    // The picture for `density` device pixels to its pixel: the one drawn at or above it (else the
    // densest), its device pixel ratio set. A dense one is decoded when first asked for, so an
    // ordinary screen decodes none; one that cannot be decoded gives way to the designed one.
    const QPixmap& at(qreal density) const;

private:
    std::map<int, QString> denser_;
    mutable std::map<int, QPixmap> decoded_;
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
