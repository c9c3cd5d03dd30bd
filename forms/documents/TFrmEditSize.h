#pragma once

#include "forms/framework/TFrmApp.h"

#include <functional>

class QPushButton;
class QTreeWidget;

namespace corvo::controls {
class TSafeEdit;
class TVelComboBox;
} // namespace corvo::controls
namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// The product picker of the size documents: product types as a tree on the left, the
/// products of the chosen type as a multi-select list on the right, filtered while typing by
/// code and name. "确定" ends with the chosen products; "继续添加" (or a double click) hands
/// them to the calling form at once and from then on offers only the picked type, so a
/// document receives products of one type.
class TFrmEditSize : public TFrmApp {
    Q_OBJECT
public:
    explicit TFrmEditSize(QWidget* owner = nullptr);
    ~TFrmEditSize() override;

    QTreeWidget& tvwProductType() const noexcept { return *m_tree; }
    controls::TSafeEdit& sedCode() const noexcept { return *m_code; }
    controls::TSafeEdit& sedName() const noexcept { return *m_name; }
    controls::TVelComboBox& scbLink1() const noexcept { return *m_colour; }
    platform::DataGrid& dgeMaster() const noexcept { return *m_grid; }
    QPushButton& QVButton1() const noexcept { return *m_continue; }
    QPushButton& mbtOK() const noexcept { return *m_ok; }

    /// The calling form's inputs, before showing: the stocked products (a TProduct data
    /// packet, or Null for every product of the local copy) and the TProductID of its current
    /// line (empty for a document without lines).
    void SetInputs(const Variant& products, const std::string& lineProductId);
    /// What "继续添加" calls with the chosen products and their type.
    void SetContinueHandler(std::function<void(TClientDataSet&, const std::string&)> handler)
    {
        m_onContinue = std::move(handler);
    }

    /// The chosen products (ReturnEty's data after "确定"; Null when nothing was chosen).
    const Variant& result() const noexcept { return m_result; }
    /// The TProductTypeID of the last chosen product.
    const std::string& pickedType() const noexcept { return m_pickedType; }

    /// "确定": the chosen rows, then the picker closes confirmed.
    void OKClicked();
    /// "继续添加" and a double click: the chosen rows go to the calling form at once.
    void ContinueClicked();
    /// A node of the tree chosen: its type's products.
    void TypeChosen();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void collect();
    void filterToType(const std::string& typeId);
    std::string typeIdOfName(const std::string& nameGbk);
    void armFilters(bool on);

    QTreeWidget* m_tree = nullptr;
    controls::TSafeEdit* m_code = nullptr;
    controls::TSafeEdit* m_name = nullptr;
    controls::TVelComboBox* m_colour = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_ok = nullptr;
    Variant m_products;
    std::string m_lineProduct;
    std::string m_lineType;
    Variant m_result;
    std::string m_pickedType;
    std::function<void(TClientDataSet&, const std::string&)> m_onContinue;
    bool m_filtersArmed = false;
    bool m_shown = false;
};

} // namespace corvo::forms
