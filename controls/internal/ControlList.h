#pragma once

#include "ControlNameIndex.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <QPointer>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

namespace corvo::controls {

/// Whether a control list destroys its controls with itself (the forms always ask it to).
enum class Ownership { OwnsItems, BorrowsItems };

namespace internal {

/// A list of controls found by dictionary field code (see ControlNameIndex). Controls
/// destroyed from outside (with their panel) read as nullptr and are never touched again.
template <typename Control> class ControlList {
public:
    explicit ControlList(Ownership ownership) : m_ownership(ownership) {}
    ~ControlList()
    {
        if (m_ownership == Ownership::OwnsItems)
            for (const QPointer<Control>& control : m_controls)
                delete control.data();
    }
    ControlList(const ControlList&) = delete;
    ControlList& operator=(const ControlList&) = delete;

    /// Whether the name is registered; the index is left on its row.
    bool HasControl(std::string_view name) { return m_index.find(name).has_value(); }
    /// Throws corvo::Error "控件对象列表中不存在控件[name]，请检查！" for a name not registered.
    Control& ControlByName(std::string_view name)
    {
        const auto position = m_index.find(name);
        Control* control = position ? Items(*position) : nullptr;
        if (!control) throw Error("控件对象列表中不存在控件[" + gbk::display(name) + "]，请检查！");
        return *control;
    }
    /// The control of the index's current row: right after AddControl, the one just added.
    Control* CurrentControl() const
    {
        const auto position = m_index.current();
        return position ? Items(*position) : nullptr;
    }
    bool HasControls() const { return !m_index.empty(); }
    int Count() const noexcept { return static_cast<int>(m_controls.size()); }
    /// The control at a position, nullptr outside the list or when it was destroyed.
    Control* Items(int position) const
    {
        if (position < 0 || position >= Count()) return nullptr;
        return m_controls[static_cast<std::size_t>(position)].data();
    }
    Control* First() const { return Items(0); }

protected:
    /// Registers a control made by `make` unless the name is registered already. Never
    /// throws: false, with the name left unregistered, when a step failed.
    template <typename Make> bool addControl(std::string_view name, Make&& make)
    {
        if (name.empty()) return false;
        try {
            if (m_index.find(name)) return true;
            std::unique_ptr<Control> control = make();
            m_controls.reserve(m_controls.size() + 1);
            m_index.add(name, Count());
            m_controls.emplace_back(control.release());
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

private:
    Ownership m_ownership;
    ControlNameIndex m_index;
    std::vector<QPointer<Control>> m_controls;
};

} // namespace internal
} // namespace corvo::controls
