// Any bytes as a request to the application server's endpoint, on a real SQLite demo database:
// as a raw HTTP body (first byte even), or as a block packed into a valid envelope (first byte
// odd), so the serving peer itself sees hostile blocks. Every request must be answered.
#include "entity/Error.h"
#include "remote/Envelope.h"
#include "server/schema/MinimalCompany.h"
#include "server/schema/Schema.h"
#include "server/schema/SystemDictionary.h"
#include "server/service/InternalTables.h"
#include "server/service/LoginService.h"
#include "server/service/ServiceHost.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace corvo::server;

struct Server {
    Server()
    {
        char dir[] = "/tmp/corvo-fuzz-XXXXXX";
        if (!mkdtemp(dir)) std::abort();
        db = storage::Database::open(std::string("sqlite:") + dir + "/demo.db",
                                     storage::OpenMode::CreateIfMissing);
        auto tx = db->begin(storage::TransactionMode::Write);
        schema::createSchema(*tx, db->dialect(), schema::systemDictionary());
        createInternalTables(*tx);
        schema::seedMinimalCompany(*tx);
        tx->commit();
        context = std::make_unique<ServerContext>(
            ServerContext{*db, SessionStore(), Credentials(1000), {}});
        host = std::make_unique<ServiceHost>(*context, applicationServerClasses());
    }
    std::unique_ptr<storage::Database> db;
    std::unique_ptr<ServerContext> context;
    std::unique_ptr<ServiceHost> host;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Server server;
    if (size < 1) return 0;
    const std::span<const uint8_t> rest(data + 1, size - 1);
    corvo::Bytes body;
    if (data[0] & 1)
        body = corvo::remote::envelope::pack(rest);
    else
        body.assign(rest.begin(), rest.end());
    const HttpExchange request{"POST", ServiceHost::ScriptPath, "", body};
    const HttpAnswer answer = server.host->handle(request);
    if (answer.status != 200 && answer.status != 400) {
        std::fprintf(stderr, "unexpected status %d\n", answer.status);
        std::abort();
    }
    return 0;
}
