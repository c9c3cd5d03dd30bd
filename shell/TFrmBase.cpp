#include "TFrmBase.h"

#include "LocalFiles.h"
#include "TFrmQVDialog.h"
#include "entity/ParamNames.h"
#include "platform/Desktop.h"
#include "platform/WaitCursor.h"

#include <QKeyEvent>
#include <QPixmap>
#include <filesystem>

namespace corvo::shell {

TFrmBase::TFrmBase(QWidget* owner)
    : QDialog(owner), m_registry(std::make_unique<TCustomEntityList>()),
      m_basePacket(std::make_unique<TParamData>(paramkind::Data)),
      m_fieldPacket(std::make_unique<TParamData>(paramkind::Field))
{
    m_registry->AddEntities({"TModule", "TDictTable", "TDictField"});
    m_basePacket->SetParamValue("AppDir", Variant(appDir()));
    if (auto* form = qobject_cast<TFrmBase*>(owner)) InheritFrom(*form);
}

// The connection and the user record belong to the login form; only our own parts go.
TFrmBase::~TFrmBase() = default;

void TFrmBase::TakeOverContext(const std::string& languageColumn,
                               remote::TIntellegentWebconn* connection, TCustomEntityList& registry,
                               TCustomEntity* userRecord)
{
    m_languageColumn = languageColumn;
    if (m_registry->LanguageColumn.empty()) m_registry->LanguageColumn = languageColumn;
    m_connection = connection;
    m_userRecord = userRecord;
    if (&registry != m_registry.get()) m_registry->TakeDataFrom(registry);
}

void TFrmBase::InheritFrom(TFrmBase& form)
{
    TakeOverContext(form.m_languageColumn, form.m_connection, *form.m_registry, form.m_userRecord);
}

bool TFrmBase::LocalFileExists(const std::string& name) const
{
    std::error_code ec;
    return std::filesystem::exists(dataDir() + name, ec);
}

bool TFrmBase::LoadLocalFile(const std::string& name, TClientDataSet& dataSet)
{
    return loadDataSetFile(dataDir() + name, dataSet);
}

bool TFrmBase::SaveLocalFile(const std::string& name, TClientDataSet& dataSet)
{
    saveDataSetFile(dataDir() + name, dataSet);
    return true;
}

bool TFrmBase::LoadBitmap(const std::string& name, QPixmap& bitmap)
{
    Bytes image;
    if (!readLocalFile(bmpDir() + name, image)) return false;
    return bitmap.loadFromData(image.data(), static_cast<uint>(image.size()), "BMP");
}

void TFrmBase::ApplyDialogFrame()
{
    setWindowFlags((windowFlags() & ~Qt::WindowMaximizeButtonHint) | Qt::Dialog |
                   Qt::MSWindowsFixedSizeDialogHint);
    platform::centreOnScreen(*this);
}

void TFrmBase::ApplyFrameAndContext(const std::string& languageColumn,
                                    remote::TIntellegentWebconn* connection,
                                    TCustomEntity* userRecord)
{
    m_languageColumn = languageColumn;
    m_connection = connection;
    m_userRecord = userRecord;
}

void TFrmBase::ApplyFrameFrom(TFrmBase& form)
{
    ApplyFrameAndContext(form.m_languageColumn, form.m_connection, form.m_userRecord);
}

void TFrmBase::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmBase::ShowWaitCursor()
{
    platform::showWaitCursor();
}

void TFrmBase::ShowDefaultCursor()
{
    platform::showDefaultCursor();
}

void TFrmBase::ShowError(const std::string& text)
{
    TFrmQVDialog dialog(this);
    dialog.ApplyDialogFrame();
    dialog.showMessage("严重错误信息", text, false);
}

void ShowInformation(QWidget* owner, const std::string& text)
{
    TFrmQVDialog dialog(owner);
    dialog.ApplyDialogFrame();
    dialog.showMessage("提示信息", text, false);
}

} // namespace corvo::shell
