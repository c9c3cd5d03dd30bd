#pragma once

#include "TFrmBase.h"
#include "entity/TCustomEntity.h"

#include <memory>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace corvo::remote {
class TIntellegentWebconn;
}
namespace corvo::controls {
class TSafeEdit;
}

namespace corvo::shell {

/// The login form: checks the local configuration, calls the login server once with the
/// encoded password, keeps and caches everything the server returns, and shows the messages
/// that are new to this workstation. It is the origin of the login context and lives for the
/// whole run.
class TFrmLogin : public TFrmBase {
    Q_OBJECT
public:
    static constexpr int IdleTicks = 100;

    explicit TFrmLogin(QWidget* owner = nullptr);
    ~TFrmLogin() override;

    /// 1 after a successful login, 0 otherwise.
    int resultFlag() const noexcept { return m_resultFlag; }
    const std::string& beginDate() const noexcept { return m_beginDate; }
    const std::string& endDate() const noexcept { return m_endDate; }
    remote::TIntellegentWebconn& webConnection() noexcept { return *m_connection; }
    TCustomEntity& userEntity() noexcept { return m_userRecord; }
    TParamData& loginPacket() noexcept { return *m_packet; }

    controls::TSafeEdit& sedTOrganCode() const noexcept { return *m_organCode; }
    controls::TSafeEdit& sedCode() const noexcept { return *m_code; }
    controls::TSafeEdit& sedPassWord() const noexcept { return *m_password; }
    QPushButton& mbtLogin() const noexcept { return *m_login; }
    QPushButton& mbtExit() const noexcept { return *m_exit; }
    QPushButton& optionsToggle() const noexcept { return *m_toggle; }
    QFrame& optionsPanel() const noexcept { return *m_options; }
    QCheckBox& changePassword() const noexcept { return *m_changePassword; }
    QCheckBox& saveLogin() const noexcept { return *m_saveLogin; }
    controls::TSafeEdit& newPassword() const noexcept { return *m_newPassword; }
    controls::TSafeEdit& repeatPassword() const noexcept { return *m_repeatPassword; }
    QProgressBar& mpbLogin() const noexcept { return *m_progress; }
    QTimer& tmrLogin() const noexcept { return *m_timer; }

    /// The "登陆" click.
    void logIn();
    /// One tick of the idle timer.
    void idleTick();
    void toggleOptions();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void buildRequest();
    void callLogin();
    void cacheReply();
    /// A local file the login writes itself; a damaged one is reported as missing.
    bool loadCached(const std::string& name, TClientDataSet& dataSet);
    void onChangePassword(bool checked);

    int m_resultFlag = 0;
    std::string m_beginDate;
    std::string m_endDate;
    std::unique_ptr<remote::TIntellegentWebconn> m_connection;
    TCustomEntity m_userRecord;
    TCustomEntity m_request;
    TCustomEntity m_ipFile;
    std::unique_ptr<TParamData> m_packet;

    controls::TSafeEdit* m_organCode = nullptr;
    controls::TSafeEdit* m_code = nullptr;
    controls::TSafeEdit* m_password = nullptr;
    QPushButton* m_login = nullptr;
    QPushButton* m_exit = nullptr;
    QPushButton* m_toggle = nullptr;
    QFrame* m_options = nullptr;
    QCheckBox* m_changePassword = nullptr;
    QCheckBox* m_saveLogin = nullptr;
    QLabel* m_newPasswordLabel = nullptr;
    QLabel* m_repeatPasswordLabel = nullptr;
    controls::TSafeEdit* m_newPassword = nullptr;
    controls::TSafeEdit* m_repeatPassword = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_timer = nullptr;
    QPixmap* m_background = nullptr;
};

} // namespace corvo::shell
