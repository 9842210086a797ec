#include <windows.h>
#include <initguid.h>

#include "download/com/vexadnld.h"
#include "download/dnld_dispatch.hpp"
#include "tests/download/com/vexadnld_support.hpp"
#include "tests/support/fault_http_server.hpp"

namespace vexa::test {
namespace {

using Calls = VexaDnldTest;

// More free bytes than a long holds come back whole, as a double.
TEST_F(Calls, TheDrivesFreeSpaceIsADouble) {
    ComPtr<IDispatch> control = CreateDownloadControl();
    Value free = Call(control.Get(), "GetDriveFreeSpace", {Path("")});
    ASSERT_TRUE(std::holds_alternative<double>(free)) << FormatValue(free);
    ULARGE_INTEGER available{};
    ASSERT_TRUE(::GetDiskFreeSpaceExA(Path("").c_str(), &available, nullptr, nullptr));
    EXPECT_NEAR(std::get<double>(free), static_cast<double>(available.QuadPart), 64.0 * 1024 * 1024);
}

// The server answers with the request it read: request line, headers and body.
TEST_F(Calls, AFormPostEndsInSendStringToCgiDoneWithTheServersAnswer) {
    const FaultHttpServer& server = FaultHttpServer::Get();
    ASSERT_TRUE(server.Running());
    ComPtr<IDispatch> control = CreateDownloadControl();
    EventRecorder sink;
    EventConnection connection(control.Get(), DIID__DVexaDnldEvents, &sink);
    ASSERT_TRUE(connection.Connected());
    Value request = Call(control.Get(), "SendStringToCgi",
                         {server.Url("/echo"), std::string("name=Ann&city=Oslo"), std::string("post")});
    ASSERT_EQ(request, Value(std::int32_t{1}));

    auto ended = [&] { return sink.Find(download::kSendStringToCgiDone) || sink.Find(download::kSendStringToCgiError); };
    ASSERT_TRUE(PumpUntil(ended, 20000));
    const RecordedEvent* done = sink.Find(download::kSendStringToCgiDone);
    ASSERT_TRUE(done) << "error " << FormatValue(sink.events.back().arguments.at(1));
    ASSERT_EQ(done->arguments.size(), 2u);
    EXPECT_EQ(done->arguments[0], request);
    const std::string& answer = std::get<std::string>(done->arguments[1]);
    EXPECT_TRUE(answer.starts_with("POST /echo HTTP/1.")) << answer;
    EXPECT_NE(answer.find("application/x-www-form-urlencoded"), std::string::npos) << answer;
    EXPECT_TRUE(answer.ends_with("name=Ann&city=Oslo")) << answer;
}

}  // namespace
}  // namespace vexa::test
