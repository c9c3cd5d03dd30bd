// corvo_login_check URL ORGANISATION USER PASSWORD: logs in through the client's own remote
// code, as a store PC would, and says how many modules the user may open. Exit code 0 when the
// login succeeded. For scripts that check an installed server.
#include "ServerProcess.h"
#include "entity/TClientDataSet.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace corvo;
    if (argc != 5) {
        std::cerr << "usage: corvo_login_check URL ORGANISATION USER PASSWORD\n";
        return 2;
    }
    try {
        remote::TIntellegentWebconn conn("LoginCheck");
        conn.setURL(argv[1]);
        server::test::LoginPacket login(argv[2], argv[3], argv[4]);
        namespace app = remote::appserver;
        if (!remote::CallServer(conn, app::Login, app::login::Login, login)) {
            std::cerr << "login refused\n";
            return 1;
        }
        TClientDataSet rights;
        rights.SetData(login.GetParamData("TUserModule"));
        std::cout << "logged in as " << argv[3] << " of " << argv[2] << ": " << rights.RecordCount()
                  << " modules" << std::endl;
        return rights.RecordCount() > 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "login failed: " << e.what() << "\n";
        return 1;
    }
}
