#include "host/qt/picture_library.h"

#include <QDir>
#include <QImageReader>
#include <stdexcept>

namespace poromea::qt {

PictureRef PictureLibrary::get(const QString& name) {
    if (auto it = cache_.constFind(name); it != cache_.constEnd()) return *it;

    const QDir dir(directory_);
    const QStringList found = dir.entryList({name + QStringLiteral(".*")}, QDir::Files);
    if (found.isEmpty()) {
        throw std::runtime_error(QStringLiteral("画像「%1」が見つかりません。").arg(name).toStdString());
    }
    QImageReader reader(dir.filePath(found.first()));
    const QImage image = reader.read();
    if (image.isNull()) {
        throw std::runtime_error(QStringLiteral("画像「%1」を読み込めません（%2）。")
                                     .arg(found.first(), reader.errorString())
                                     .toStdString());
    }
    auto picture = std::make_shared<const QtPicture>(name, QPixmap::fromImage(image));
    cache_.insert(name, picture);
    return picture;
}

}  // namespace poromea::qt
