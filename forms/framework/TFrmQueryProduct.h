#pragma once

#include "TFrmQuery.h"

class QPushButton;

namespace corvo::controls {
class TSafeEdit;
class TVelComboBox;
} // namespace corvo::controls

namespace corvo::forms {

/// The product picker: the cached products filtered while typing by code (anywhere), name
/// (beginning) and product type (exact), in a multi-select grid. "确定" or a double click keeps
/// the focused product and ends with result 1; "关闭" with 0. The caller reads the marked rows
/// (each filter change marks the focused row).
class TFrmQueryProduct : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmQueryProduct(QWidget* owner = nullptr);

    controls::TSafeEdit& sedCode() const noexcept { return *m_code; }
    controls::TSafeEdit& sedName() const noexcept { return *m_name; }
    controls::TVelComboBox& scbTProductTypeID() const noexcept { return *m_type; }
    platform::DataGrid& dgeProduct() const noexcept { return *m_grid; }
    QPushButton& mbtOK() const noexcept { return *m_ok; }
    /// The last confirmed product: a one-row data packet of TMaster's structure.
    const Variant& lastProduct() const noexcept { return m_lastProduct; }

    /// Marks the focused product.
    void AfterMasterFilter(TCustomEntity& master) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void confirm();

    controls::TSafeEdit* m_code = nullptr;
    controls::TSafeEdit* m_name = nullptr;
    controls::TVelComboBox* m_type = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QPushButton* m_ok = nullptr;
    Variant m_lastProduct;
};

} // namespace corvo::forms
