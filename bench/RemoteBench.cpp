// A document reply travelling the whole remote path against compression alone.
//
// The server object answers a small request packet with a prepared 10,000-row reply packet; the
// client goes packet → block → envelope → loopback HTTP (keep-alive) and back to a parameter
// packet whose detail rows it loads into a dataset. The floor is the same reply block, only
// deflated and inflated: the two compressions the path cannot avoid.
#include "DocumentData.h"
#include "entity/Error.h"
#include "entity/MemoryTuning.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "remote/Envelope.h"
#include "remote/LocalObject.h"
#include "remote/ServerCall.h"
#include "remote/TvelDataBlock.h"
#include "remote/Tvelwebconnection.h"
#include "remote/VariantCodec.h"
#include "remote/tests/LoopbackHttpServer.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace corvo::bench {
namespace {

using namespace corvo::remote;

constexpr std::size_t ReplyRows = 10'000;
const char* const DocumentClass = "{2293DEA1-F9B5-4990-94D0-7ABF92A31561}";

Variant makeReply()
{
    TClientDataSet detail;
    createDocumentTable(detail);
    appendDocumentRows(detail, makeDocumentRows(ReplyRows, 20261210).rows);
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamData("TDetail", detail.Data());
    return packet.Data();
}

class DocumentServer : public LocalObject {
public:
    explicit DocumentServer(const Variant& reply) : m_reply(reply) {}
    int32_t getIdsOfName(const std::u16string&, int32_t& dispId) override
    {
        dispId = 1;
        return status::Ok;
    }
    int32_t invoke(const InvokeRequest&, std::vector<RemoteValue>& args, RemoteValue& result,
                   ExceptionInfo&) override
    {
        args.at(0) = RemoteValue::fromVariant(m_reply);
        result = RemoteValue::boolean(true);
        return status::Ok;
    }

private:
    const Variant& m_reply;
};

struct Path {
    Path() : reply(makeReply())
    {
        factory.registerClass(*Guid::parse(DocumentClass), "Corvo.Query", {"Web"},
                              [this] { return std::make_unique<DocumentServer>(reply); });
        conn.setURL(http.url());
    }
    Variant reply;
    LocalObjectFactory factory;
    TVelDataBlockInterpreter peer{nullptr, "Web", &factory};
    test::LoopbackHttpServer http{peer};
    TIntellegentWebconn conn{"Bench"};

    /// One whole call; returns the rows the client ends up holding.
    int call()
    {
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        if (!CallServer(conn, DocumentClass, 1, packet)) throw Error("refused");
        TClientDataSet rows;
        rows.SetData(packet.GetParamData("TDetail"));
        return rows.RecordCount();
    }

    /// The reply as the server's block carries it: the compression floor works on these bytes.
    Bytes replyBlock() const
    {
        TvelDataBlock block;
        writeValue(block, RemoteValue::fromVariant(reply).byRef(Reference::Variant));
        return block.Stream();
    }
};

Path& path()
{
    static Path p;
    return p;
}

int deflateInflate(const Bytes& block)
{
    const Bytes packed = envelope::pack(block);
    return static_cast<int>(envelope::unpack(packed).size());
}

void BM_Remote_ReplyOverHttp(benchmark::State& state)
{
    Path& p = path();
    for (auto _ : state)
        benchmark::DoNotOptimize(p.call());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ReplyRows));
}

void BM_Remote_DeflateInflateOnly(benchmark::State& state)
{
    const Bytes block = path().replyBlock();
    for (auto _ : state)
        benchmark::DoNotOptimize(deflateInflate(block));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ReplyRows));
    state.counters["block_bytes"] = static_cast<double>(block.size());
}

// Both, alternately, in every iteration: the ratio is measured under the same conditions.
void BM_Remote_RatioToCompression(benchmark::State& state)
{
    Path& p = path();
    const Bytes block = p.replyBlock();
    using Clock = std::chrono::steady_clock;
    Clock::duration whole{}, floor{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(p.call());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(deflateInflate(block));
        whole += t1 - t0;
        floor += Clock::now() - t1;
    }
    state.counters["ratio"] =
        std::chrono::duration<double>(whole) / std::chrono::duration<double>(floor);
}

BENCHMARK(BM_Remote_ReplyOverHttp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Remote_DeflateInflateOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Remote_RatioToCompression)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace corvo::bench

int main(int argc, char** argv)
{
    corvo::configureAllocatorForLargeTables();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
