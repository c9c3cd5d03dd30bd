// The entry and query panels of the application form.
#include "TFrmApp.h"
#include "controls/TFloatEdit.h"
#include "controls/TInputControlList.h"
#include "controls/TIntegerEdit.h"
#include "controls/TPictureBox.h"
#include "controls/TQueryControlList.h"
#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"
#include "entity/Gbk.h"
#include "forms/rules/EditorChoice.h"
#include "forms/rules/PanelLayout.h"
#include "internal/FormAdapters.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"
#include "shell/LocalFiles.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace corvo::forms {
namespace {

using controls::TInputControl;
using controls::TQueryControl;
using controls::TSubType;

const QColor RequiredColour(255, 0, 0); // 255
const QColor OptionalColour(0, 0, 255); // 16711680

TSubType subTypeOf(InputEditor editor)
{
    switch (editor) {
    case InputEditor::IntegerEdit:
        return TSubType::stIntegerEdit;
    case InputEditor::FloatEdit:
        return TSubType::stFloatEdit;
    case InputEditor::VelCombobox:
        return TSubType::stVelCombobox;
    case InputEditor::DateTimePicker:
        return TSubType::stDateTimePicker;
    case InputEditor::Memo:
        return TSubType::stMemo;
    case InputEditor::Image:
        return TSubType::stImage;
    case InputEditor::SafeEdit:
        break;
    }
    return TSubType::stSafeEdit;
}

controls::TQuSubType subTypeOf(QueryEditor editor)
{
    using S = controls::TQuSubType;
    switch (editor) {
    case QueryEditor::VelCombobox:
        return S::stQuVelCombobox;
    case QueryEditor::IntegerRange:
        return S::stQuIntegerEdit;
    case QueryEditor::FloatRange:
        return S::stQuFloatEdit;
    case QueryEditor::DateRange:
        return S::stQuDateTimePicker;
    case QueryEditor::SafeEdit:
        break;
    }
    return S::stQuSafeEdit;
}

controls::TQuCheckFieldType fieldTypeOf(QueryFieldType type)
{
    using F = controls::TQuCheckFieldType;
    return type == QueryFieldType::Number     ? F::ctNumber
           : type == QueryFieldType::DateTime ? F::ctDateTime
                                              : F::ctString;
}

void setInputMethod(QWidget& editor, InputMethod mode)
{
    if (mode == InputMethod::Closed)
        editor.setInputMethodHints(editor.inputMethodHints() | Qt::ImhPreferLatin);
    else if (mode == InputMethod::Chinese)
        editor.setInputMethodHints(editor.inputMethodHints() & ~Qt::ImhPreferLatin);
}

template <typename Control> void caption(Control& control, const DictColumn& column, QWidget& panel)
{
    control.move(30, control.y());
    control.SetCaption(platform::fromGbk(column.caption));
    control.setParent(&panel);
    control.setFont(panel.font());
    QPalette palette = control.palette();
    palette.setColor(QPalette::WindowText, column.isRequired() ? RequiredColour : OptionalColour);
    control.setPalette(palette);
    control.show();
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

} // namespace

void TFrmApp::BuildInputControls(TCustomEntity& dictField, QWidget& panel)
{
    if (!m_inputs) m_inputs = std::make_unique<controls::TInputControlList>();
    for (const DictColumn& column : selectedColumns(dictField, registry().LanguageColumn)) {
        if (!column.isEntry()) continue;
        const InputEditorChoice choice = inputEditorFor(column);
        if (!m_inputs->AddControl(column.code, subTypeOf(choice.editor))) continue;
        TInputControl* control = m_inputs->CurrentControl();
        if (!control) continue;
        caption(*control, column, panel);
        control->SetFieldName(column.code);
        QWidget* editor = control->Editor();
        if (!editor) continue;
        editor->setAccessibleName(platform::fromGbk(column.caption));
        if (auto* safe = qobject_cast<controls::TSafeEdit*>(editor)) {
            safe->setMasked(choice.masked);
            setInputMethod(*safe, choice.inputMethod);
        }
        if (control->IsTextEdit() && !choice.masked) {
            auto* edit = qobject_cast<QLineEdit*>(editor);
            connect(edit, &QLineEdit::textChanged, edit,
                    [edit](const QString& text) { edit->setToolTip(text); });
        }
        if (choice.editor == InputEditor::Image) {
            editor->setCursor(Qt::PointingHandCursor);
            editor->setToolTip(QStringLiteral("按此处更换图片..."));
            editor->installEventFilter(this);
        }
    }
    PlaceInputControls();
}

void TFrmApp::choosePicture(QWidget& picture)
{
    auto* box = qobject_cast<controls::TPictureBox*>(&picture);
    if (!box) return;
    const QString file =
        QFileDialog::getOpenFileName(this, {}, {}, QStringLiteral("位图文件(*.bmp *.BMP)"));
    if (!file.isEmpty()) box->LoadFromFile(file);
}

void TFrmApp::PlaceInputControls()
{
    if (!m_inputs) return;
    const std::vector<DictColumn> columns = selected();
    internal::FormStore store(*this);
    LookupContext context{registry(), store, registry().LanguageColumn, m_owner, columns};
    int k = 0;
    for (const DictColumn& column : columns) {
        if (!column.isEntry() || !m_inputs->HasControl(column.code)) continue;
        TInputControl& control = m_inputs->ControlByName(column.code);
        control.move(control.x(), layout::provisionalInputTop(++k));
        if (auto* box = qobject_cast<controls::TVelComboBox*>(control.Editor())) {
            internal::ComboTarget target(*box);
            FillColumnCombo(target, column, PanelKind::Entry, context);
        }
    }
}

void TFrmApp::LayoutInputPanel(QWidget& panel, controls::TInputControlList& list)
{
    std::vector<InputItem> items;
    std::vector<TInputControl*> controls;
    for (const DictColumn& column : selected()) {
        if (!column.isEntry() || !list.HasControl(column.code)) continue;
        TInputControl& control = list.ControlByName(column.code);
        const TSubType sub = control.SubType();
        items.push_back({control.width(),
                         sub == TSubType::stMemo    ? InputKind::Memo
                         : sub == TSubType::stImage ? InputKind::Image
                                                    : InputKind::Plain,
                         column.prec == 200});
        controls.push_back(&control);
        if (control.IsTextEdit() || sub == TSubType::stSafeEdit) {
            if (contains(column.code, "Code"))
                setInputMethod(*control.Editor(), InputMethod::Closed);
            else if (contains(column.code, "Name"))
                setInputMethod(*control.Editor(), InputMethod::Chinese);
        }
    }
    const PanelLayoutResult result = layoutInputPanel(panel.width(), items);
    for (std::size_t i = 0; i < controls.size(); ++i)
        controls[i]->move(result.placed[i].left, result.placed[i].top);
    if (panel.height() < result.height) panel.resize(panel.width(), result.height);
}

void TFrmApp::BuildQueryControls(TCustomEntity& dictField, QWidget& panel)
{
    if (!m_queries) m_queries = std::make_unique<controls::TQueryControlList>();
    for (const DictColumn& column : selectedColumns(dictField, registry().LanguageColumn)) {
        if (!column.isQueryCandidate()) continue;
        const std::optional<QueryControlChoice> choice = queryControlFor(column);
        if (!choice) continue;
        const controls::TOpChar op =
            choice->like ? controls::TOpChar::opLike : controls::TOpChar::opEqual;
        if (!m_queries->AddControl(column.code, fieldTypeOf(choice->fieldType),
                                   subTypeOf(choice->editor), op))
            continue;
        TQueryControl* control = m_queries->CurrentControl();
        if (!control) continue;
        caption(*control, column, panel);
        if (QWidget* editor = control->Editor())
            editor->setAccessibleName(platform::fromGbk(column.caption));
    }
    PlaceQueryControls();
}

void TFrmApp::PlaceQueryControls()
{
    if (!m_queries) return;
    const std::vector<DictColumn> columns = selected();
    internal::FormStore store(*this);
    LookupContext context{registry(), store, registry().LanguageColumn, m_owner, columns};
    int k = 0;
    for (const DictColumn& column : columns) {
        if (!column.isQueryCandidate() || !m_queries->HasControl(column.code)) continue;
        TQueryControl& control = m_queries->ControlByName(column.code);
        control.move(control.x(), layout::provisionalQueryTop(++k));
        if (auto* box = qobject_cast<controls::TVelComboBox*>(control.Editor())) {
            internal::ComboTarget target(*box);
            FillColumnCombo(target, column, PanelKind::Query, context);
        }
    }
}

void TFrmApp::LayoutQueryPanel(QWidget& panel, controls::TQueryControlList& list)
{
    std::vector<QueryItem> items;
    std::vector<TQueryControl*> controls;
    for (const DictColumn& column : selected()) {
        if (!column.isQueryCandidate() || !list.HasControl(column.code)) continue;
        TQueryControl& control = list.ControlByName(column.code);
        items.push_back({control.width(), control.CheckLength(), control.IsRange()});
        controls.push_back(&control);
    }
    const QueryLayoutResult result = layoutQueryPanel(panel.width(), items);
    for (std::size_t i = 0; i < controls.size(); ++i)
        controls[i]->move(result.placed[i].left, result.placed[i].top);
    panel.resize(panel.width(), result.height);
}

void TFrmApp::UncheckQueryControls()
{
    if (!m_queries) return;
    for (int i = 0; i < m_queries->Count(); ++i)
        if (TQueryControl* control = m_queries->Items(i)) control->setChecked(false);
}

void TFrmApp::ShowMasterValues(std::string_view entityName)
{
    if (!m_inputs) return;
    TCustomEntity& entity = registry().EntityByName(entityName);
    for (const DictColumn& column : selected()) {
        if (!column.isEntry() || !m_inputs->HasControl(column.code)) continue;
        TInputControl& control = m_inputs->ControlByName(column.code);
        if (control.SubType() == TSubType::stImage) {
            auto* picture = qobject_cast<controls::TPictureBox*>(control.Editor());
            if (!picture) continue;
            const Variant value = entity.FieldByName(column.code).AsVariant();
            if (value.type() == Variant::Type::Bytes && !value.asBytes().empty())
                picture->LoadFromBytes(value.asBytes());
            else
                picture->LoadFromFile(QString::fromStdString(shell::bmpDir() + "NoPhoto.jpg"));
        } else if (!gbk::equalsIgnoreCase(column.code, "Password")) {
            control.SetText(Variant(entity.FieldByName(column.code).AsString()));
        }
    }
}

void TFrmApp::ClearPanel(QWidget& panel)
{
    for (QObject* child : panel.children()) {
        if (auto* box = qobject_cast<controls::TVelComboBox*>(child)) {
            if (box->isEnabled()) box->SetInnerCode(QString());
        } else if (qobject_cast<controls::TIntegerEdit*>(child) ||
                   qobject_cast<controls::TFloatEdit*>(child)) {
            static_cast<QLineEdit*>(child)->setText(QStringLiteral("0"));
        } else if (auto* edit = qobject_cast<QLineEdit*>(child)) {
            edit->clear();
        } else if (auto* combo = qobject_cast<QComboBox*>(child)) {
            combo->setCurrentIndex(-1);
        } else if (auto* date = qobject_cast<QDateEdit*>(child)) {
            date->setDate(QDate::currentDate());
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(child)) {
            memo->clear();
        }
    }
}

void TFrmApp::FocusFirstInput()
{
    if (!m_inputs || !m_inputs->HasControls()) return;
    for (const DictColumn& column : selected()) {
        if (!column.isEntry()) continue;
        // Only the first entry column counts, whether or not it can take the focus.
        if (!m_inputs->HasControl(column.code)) return;
        QWidget* editor = m_inputs->ControlByName(column.code).Editor();
        if (!editor || !editor->isEnabled() || !editor->parentWidget() ||
            !editor->parentWidget()->isEnabled())
            return;
        if (auto* edit = qobject_cast<QLineEdit*>(editor); edit && edit->isReadOnly()) return;
        editor->setFocus(Qt::OtherFocusReason);
        return;
    }
}

void TFrmApp::TranslateCaptions(QWidget& control)
{
    TCustomEntity& words = *m_translations;
    const std::string& language =
        languageColumn().empty() ? registry().LanguageColumn : languageColumn();
    if (!words.Active() || words.IsEmpty() || !words.FindField("Name") ||
        !words.FindField(language))
        return;
    auto translate = [&](const QString& text, auto&& apply) {
        const std::string key = platform::toGbk(text);
        if (!key.empty() && words.FindRecordCase("Name", key))
            apply(platform::fromGbk(words.FieldByName(language).AsString()));
    };
    for (QWidget* child : control.findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(child))
            translate(label->text(), [label](const QString& t) { label->setText(t); });
        else if (auto* button = qobject_cast<QAbstractButton*>(child))
            translate(button->text(), [button](const QString& t) { button->setText(t); });
    }
}

void TFrmApp::FitPanelHeight(QWidget& panel)
{
    int lowest = 0;
    for (QWidget* child : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden()) lowest = std::max(lowest, child->geometry().bottom() + 1);
    panel.resize(panel.width(), lowest + 6);
}

bool TFrmApp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        if (auto* picture = qobject_cast<controls::TPictureBox*>(watched)) choosePicture(*picture);
    if (event->type() == QEvent::KeyPress)
        if (auto* grid = qobject_cast<platform::DataGrid*>(watched))
            return WrapGridKeys(static_cast<QKeyEvent*>(event)->key(), *grid);
    return TFrmBase::eventFilter(watched, event);
}

} // namespace corvo::forms
