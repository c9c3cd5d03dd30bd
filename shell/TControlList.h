#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

namespace corvo::shell {

/// Controls found by name: their caption, or their component name when the caption is
/// empty (GBK, letter case ignored). It does not own the controls.
class TControlList {
public:
    /// Registers the control unless its name is registered already; false then.
    bool add(QWidget& control);
    bool has(const std::string& name) const;
    QWidget* byName(const std::string& name) const;
    int count() const noexcept { return static_cast<int>(m_controls.size()); }

    // A cursor over the registered controls, in the order they were added.
    void first() noexcept { m_cursor = 0; }
    void next() noexcept { ++m_cursor; }
    bool eof() const noexcept { return m_cursor >= m_controls.size(); }
    QWidget* current() const;
    const std::string& currentName() const;

    /// The caption of a control (a button's or label's text), else its component name.
    static std::string nameOf(const QWidget& control);

private:
    struct Entry {
        std::string name;
        QPointer<QWidget> control;
    };
    std::vector<Entry> m_controls;
    std::size_t m_cursor = 0;
};

} // namespace corvo::shell
