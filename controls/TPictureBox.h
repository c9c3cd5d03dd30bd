#pragma once

#include "entity/Variant.h"

#include <QLabel>
#include <QString>

namespace corvo::controls {

/// The picture editor of an image input: shows a picture stretched into at most 90 × 120
/// pixels and keeps the picture's own file bytes, which is what the field stores.
class TPictureBox : public QLabel {
    Q_OBJECT
public:
    static constexpr int MaxWidth = 90;
    static constexpr int MaxHeight = 120;
    /// A picture column holds a photo, not an archive; larger files are refused.
    static constexpr qint64 MaxFileBytes = 32 * 1024 * 1024;

    explicit TPictureBox(QWidget* parent = nullptr);

    /// Shows the picture held in the bytes (any format Qt reads). Empty bytes empty the box.
    /// Throws corvo::Error, and keeps the earlier picture, when the bytes are no picture.
    void LoadFromBytes(const Bytes& bytes);
    /// The same from a file; throws corvo::Error when it cannot be read or is no picture.
    void LoadFromFile(const QString& path);
    void Clear();

    /// The picture in its own format, as loaded; empty when there is none.
    const Bytes& PictureBytes() const noexcept { return m_bytes; }
    bool IsEmpty() const noexcept { return m_bytes.empty(); }

private:
    Bytes m_bytes;
};

} // namespace corvo::controls
