#include "TPictureBox.h"

#include "entity/Error.h"

#include <QFile>
#include <QPixmap>

namespace corvo::controls {

TPictureBox::TPictureBox(QWidget* parent) : QLabel(parent)
{
    setScaledContents(true);
    setMaximumSize(MaxWidth, MaxHeight);
    resize(MaxWidth, MaxHeight);
}

void TPictureBox::LoadFromBytes(const Bytes& bytes)
{
    if (bytes.empty()) {
        Clear();
        return;
    }
    QPixmap pixmap;
    if (!pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size())))
        throw Error("图片数据无法识别。");
    setPixmap(pixmap);
    m_bytes = bytes;
}

void TPictureBox::LoadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error("无法读取图片文件[" + path.toStdString() + "]。");
    if (file.size() > MaxFileBytes)
        throw Error("图片文件[" + path.toStdString() + "]太大，不能超过32MB。");
    const QByteArray data = file.readAll();
    if (data.isEmpty()) throw Error("图片文件[" + path.toStdString() + "]是空的。");
    LoadFromBytes(Bytes(data.begin(), data.end()));
}

void TPictureBox::Clear()
{
    clear();
    m_bytes.clear();
}

} // namespace corvo::controls
