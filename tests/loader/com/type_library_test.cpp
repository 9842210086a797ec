#include "loader/loader_dispatch.hpp"
#include "tests/loader/com/vexaload_support.hpp"
#include "tests/support/com/type_library_members.hpp"

namespace vexa::test {
namespace {

using TypeLibrary = VexaLoadTest;

TEST_F(TypeLibrary, DescribesExactlyTheDispatchTable) {
    ExpectTypeLibraryDescribes(CreateLoader().Get(), loader::VexaLoaderDispatch());
}

}  // namespace
}  // namespace vexa::test
