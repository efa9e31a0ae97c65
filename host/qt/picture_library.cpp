#include "host/qt/picture_library.h"

#include <QDir>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace poromea::qt {

const QPixmap& QtPicture::at(qreal density) const {
    if (density <= 1 || denser_.empty()) return pixmap;
    // A little over a whole density still takes it: a ratio of 2.0000001 is a screen of 2.
    const auto drawn = denser_.lower_bound(static_cast<int>(std::ceil(density - 0.01)));
    const auto& [k, file] = drawn == denser_.end() ? *denser_.rbegin() : *drawn;
    auto [it, first] = decoded_.try_emplace(k);
    if (first) {
        QImageReader reader(file);
        if (QImage image = reader.read(); !image.isNull() && image.size() == pixmap.size() * k) {
            it->second = QPixmap::fromImage(image);
            it->second.setDevicePixelRatio(k);
        } else {
            qWarning("%s: %s", qPrintable(file), qPrintable(reader.errorString()));
        }
    }
    return it->second.isNull() ? pixmap : it->second;
}

PictureRef PictureLibrary::get(const QString& name) {
    if (auto it = cache_.constFind(name); it != cache_.constEnd()) return *it;

    // The folder is listed once, in name order; the file is the first called
    // "<name>.<anything>", and "<name>@2x.<anything>" the same drawn for a
    // screen of 2. Matching by hand rather than with a wildcard filter spares
    // compiling a regular expression for every picture.
    const QDir dir(directory_);
    if (!files_) files_ = dir.entryList(QDir::Files);
    const QString prefix = name + u'.', dense = name + u'@';
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
    std::map<int, QString> denser;
    for (const QString& file : *files_) {
        if (!file.startsWith(dense, Qt::CaseInsensitive)) continue;
        bool number = false;
        const int k = file.mid(dense.size()).section(u'x', 0, 0).toInt(&number);
        if (number && k > 1) denser.emplace(k, dir.filePath(file));
    }
    auto picture = std::make_shared<const QtPicture>(name, QPixmap::fromImage(image), std::move(denser));
    cache_.insert(name, picture);
    return picture;
}

}  // namespace poromea::qt
