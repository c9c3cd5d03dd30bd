#pragma once

#include "controls/ComboEntries.h"
#include "controls/ComboListLayout.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QTableView>
#include <string_view>

class QAbstractButton;
class QImage;

namespace corvo {
class TClientDataSet;
}

namespace corvo::controls {

class ComboListModel;

/// The drop-down button's 12 × 12 glyph: a black triangle pointing down through (1,3), (5,7)
/// and (9,3) on a transparent ground.
QImage comboDropDownGlyph();

/// The four texts of one entry, in this order.
struct TItemField {
    QString InnerCode;
    QString Ime1Text;
    QString Ime2Text;
    QString DisplayText;
};

/// The editor for a reference to another record: the user sees and types a name, a code or a
/// mnemonic, the forms read and write the inner code (usually the referenced row's ObjID).
///
/// A single-line edit with a drop-down button at its right end. Typing filters a three-column
/// list (column 1, column 2, display text) by prefix; Enter or a pick in the list makes an entry
/// the choice. The list is a child of the box's top-level window, raised in front of it, made
/// the first time the box takes the focus and destroyed with the box.
///
/// Texts the box writes itself (SetInnerCode, ResolveText) never filter or show the list; only
/// the user's edits do. Failures are shown in a modal message box, never thrown.
class TVelComboBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TVelComboBox(QWidget* parent = nullptr);
    ~TVelComboBox() override;

    /// Empties the entries (the choice stays) and loads one per row of the dataset, walking it
    /// from the first row to the end; rows with a blank key or display text are skipped.
    /// Nothing is loaded without an open dataset, or, with a message, when the key field or
    /// the display field is not named or not in the dataset. The column fields are optional:
    /// judged on the current row, a missing or empty column 1 hides column 1 (column 2 still
    /// loads), else a missing or empty column 2 hides column 2. Never shows a column again.
    void LoadFromDataSet(TClientDataSet* dataSet, std::string_view keyField,
                         std::string_view ime1Field, std::string_view ime2Field,
                         std::string_view displayField);
    void ClearItems();
    int ItemCount() const noexcept;
    /// The texts of entry i (from 0); out of range shows "超出范围" and leaves item as it was.
    void GetItem(int i, TItemField& item) const;

    /// Empty: no choice. A loaded inner code (letter case ignored): that entry. Any other code:
    /// with ShowErr the message "内码转换出错!" and no change; else without Strict the code
    /// becomes inner code, column texts and shown text; else no change.
    void SetInnerCode(const QString& code);
    const QString& InnerCode() const noexcept { return m_innerCode; }
    const QString& Ime1Text() const noexcept { return m_ime1Text; }
    const QString& Ime2Text() const noexcept { return m_ime2Text; }

    /// Turns what is on screen into the choice: the list's selected row when the list has the
    /// focus, else the first entry whose column 1, column 2 or display text equals the trimmed
    /// text (letter case ignored, in that order); unmatched text becomes the inner code only
    /// without Strict. A blank text clears the choice.
    void ResolveText();
    /// Shows the entries whose column 1, column 2 or display text begins with the typed text
    /// (a–z upper-cased, trimmed), in loading order; every entry for an empty text.
    void FilterList();

    bool EnterList() const noexcept { return m_enterList; }
    void SetEnterList(bool on) noexcept { m_enterList = on; }
    bool ShowErr() const noexcept { return m_showErr; }
    void SetShowErr(bool on) noexcept { m_showErr = on; }
    bool Ime1Visible() const noexcept { return m_ime1Visible; }
    void SetIme1Visible(bool on);
    bool Ime2Visible() const noexcept { return m_ime2Visible; }
    void SetIme2Visible(bool on);
    /// Visible rows of the list (its height is Lines × 20); kept within 0..1000.
    int Lines() const noexcept { return m_lines; }
    void SetLines(int lines);
    bool Strict() const noexcept { return m_strict; }
    void SetStrict(bool on) noexcept { m_strict = on; }

    /// Hides QLineEdit::setFrame: the button sits within the frame's allowance (4 with a
    /// frame, else 2), so it is placed again.
    void setFrame(bool on);

    /// The drop-down list; nullptr until the box first took the focus.
    QTableView* list() const noexcept { return m_list.data(); }
    QAbstractButton* dropDownButton() const noexcept { return m_button; }
    /// The inner codes of the rows the list shows, in list order.
    QStringList shownCodes() const;
    /// Kept column widths and scroll allowance.
    const ComboColumnWidths& columnWidths() const noexcept { return m_widths; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    /// Closed to input methods: keys reach the box itself.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeList();
    void layoutList();
    void showList();
    void hideList();
    bool listVisible() const;
    void fillAll();
    void selectFirstRow();
    void setChoice(int entry);
    void clearChoice();
    void dropDownClicked();
    void pickFromList();
    bool listKeyPress(QKeyEvent* event);
    void listFocusOut();
    void placeButton();
    void message(const QString& text) const;

    ComboEntries m_entries;
    ComboListModel* m_model = nullptr;
    QPointer<QTableView> m_list;
    QAbstractButton* m_button = nullptr;
    ComboColumnWidths m_widths;

    QString m_innerCode;
    QString m_ime1Text;
    QString m_ime2Text;

    bool m_enterList = false;
    bool m_showErr = false;
    bool m_ime1Visible = true;
    bool m_ime2Visible = true;
    int m_lines = 5;
    bool m_strict = true;
    bool m_entered = false; ///< has the focus, or had it when its window went inactive
};

} // namespace corvo::controls
