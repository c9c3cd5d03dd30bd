#pragma once

#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"

#include <QDialog>
#include <memory>
#include <string>

class QKeyEvent;
class QPixmap;

namespace corvo {
class TCustomEntity;
class TClientDataSet;
namespace remote {
class TIntellegentWebconn;
}
} // namespace corvo

namespace corvo::shell {

/// The base of every form: its own entity registry (created with TModule, TDictTable and
/// TDictField), a base packet holding the program directory, a field packet, the login context
/// taken over from the form that created it, the local data files and the message dialogs.
/// Messages are UTF-8; texts inside datasets are GBK.
class TFrmBase : public QDialog {
    Q_OBJECT
public:
    /// When the owner is a form of this family, its login context is inherited here, before
    /// the derived form's constructor body runs.
    explicit TFrmBase(QWidget* owner = nullptr);
    ~TFrmBase() override;

    const std::string& languageColumn() const noexcept { return m_languageColumn; }
    remote::TIntellegentWebconn* connection() const noexcept { return m_connection; }
    TCustomEntity* userRecord() const noexcept { return m_userRecord; }
    TCustomEntityList& registry() noexcept { return *m_registry; }
    TParamData& basePacket() noexcept { return *m_basePacket; }
    TParamData& fieldPacket() noexcept { return *m_fieldPacket; }

    virtual void TakeOverContext(const std::string& languageColumn,
                                 remote::TIntellegentWebconn* connection,
                                 TCustomEntityList& registry, TCustomEntity* userRecord);
    void InheritFrom(TFrmBase& form);

    bool LocalFileExists(const std::string& name) const;
    bool LoadLocalFile(const std::string& name, TClientDataSet& dataSet);
    bool SaveLocalFile(const std::string& name, TClientDataSet& dataSet);
    bool LoadBitmap(const std::string& name, QPixmap& bitmap);

    virtual void ApplyDialogFrame();
    virtual void ApplyFrameAndContext(const std::string& languageColumn,
                                      remote::TIntellegentWebconn* connection,
                                      TCustomEntity* userRecord);
    void ApplyFrameFrom(TFrmBase& form);

    void ShowWaitCursor();
    void ShowDefaultCursor();
    /// The error dialog ("严重错误信息"), owned by this form.
    void ShowError(const std::string& text);

protected:
    /// Esc closes no form of this family: as a plain dialog it would reject itself and so end
    /// the login, the main window or an embedded page.
    void keyPressEvent(QKeyEvent* event) override;
    void setLanguageColumn(std::string column) { m_languageColumn = std::move(column); }
    void setConnection(remote::TIntellegentWebconn* c) noexcept { m_connection = c; }
    void setUserRecord(TCustomEntity* u) noexcept { m_userRecord = u; }

private:
    std::string m_languageColumn;
    remote::TIntellegentWebconn* m_connection = nullptr;
    TCustomEntity* m_userRecord = nullptr;
    std::unique_ptr<TCustomEntityList> m_registry;
    std::unique_ptr<TParamData> m_basePacket;
    std::unique_ptr<TParamData> m_fieldPacket;
};

/// The information dialog ("提示信息", only "关闭"), usable from any component.
void ShowInformation(QWidget* owner, const std::string& text);

} // namespace corvo::shell
