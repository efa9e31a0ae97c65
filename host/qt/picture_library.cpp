#include "host/qt/picture_library.h"

#include <QDir>
#include <QImageReader>
#include <algorithm>
#include <stdexcept>

namespace poromea::qt {

PictureRef PictureLibrary::get(const QString& name) {
    if (auto it = cache_.constFind(name); it != cache_.constEnd()) return *it;

    // The folder is listed once, in name order; the file is the first called
    // "<name>.<anything>". Matching by hand rather than with a wildcard filter
    // spares compiling a regular expression for every picture.
    const QDir dir(directory_);
    if (!files_) files_ = dir.entryList(QDir::Files);
    const QString prefix = name + u'.';
    const auto found = std::find_if(files_->cbegin(), files_->cend(),
                                    [&](const QString& file) { return file.startsWith(prefix, Qt::CaseInsensitive); });
    if (found == files_->cend()) {
        throw std::runtime_error(QStringLiteral("画像「%1」が見つかりません。").arg(name).toStdString());
    }
    QImageReader reader(dir.filePath(*found));
    const QImage image = reader.read();
    if (image.isNull()) {
        throw std::runtime_error(QStringLiteral("画像「%1」を読み込めません（%2）。")
                                     .arg(*found, reader.errorString())
                                     .toStdString());
    }
    auto picture = std::make_shared<const QtPicture>(name, QPixmap::fromImage(image));
    cache_.insert(name, picture);
    return picture;
}

}  // namespace poromea::qt
