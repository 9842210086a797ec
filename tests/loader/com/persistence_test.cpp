#include <ocidl.h>
#include <oleauto.h>

#include <map>

#include "common/property_exchange.hpp"
#include "platform/win32/com/variant_value.hpp"
#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

// A page's parameters: texts by name, as a browser hands them over.
class MemoryBag final : public StackObject<IPropertyBag, IID_IPropertyBag> {
public:
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto found = values.find(name);
        if (found == values.end()) return E_INVALIDARG;
        com::ValueToVariant(found->second, value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        VARIANT text;
        ::VariantInit(&text);
        if (FAILED(::VariantChangeType(&text, value, 0, VT_BSTR))) return E_FAIL;
        values[name] = com::AnsiFromBstr(V_BSTR(&text));
        ::VariantClear(&text);
        return S_OK;
    }
    std::map<std::wstring, std::string> values;
};

const std::vector<std::pair<std::string, std::string>> kProperties = {
    {"AutoScriptFilename", "auto.cab"}, {"DefaultURL", "http://h/base/"}, {"DefaultPara", "-x"}};

void SetProperties(IDispatch* control) {
    for (const auto& [name, value] : kProperties) Put(control, name, value);
}

void ExpectProperties(IDispatch* control, bool loaded) {
    for (const auto& [name, value] : kProperties)
        EXPECT_EQ(Get(control, name), Value(loaded ? value : std::string())) << name;
}

ComPtr<IStream> StreamOf(const std::string& bytes) {
    ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

using Persistence = VexaLoadTest;

TEST_F(Persistence, AStreamRoundTripsTheProperties) {
    ComPtr<IDispatch> saving = CreateLoader();
    SetProperties(saving.Get());
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(saving.As(&persist), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    ComPtr<IDispatch> loading = CreateLoader();
    ASSERT_EQ(loading.As(&persist), S_OK);
    ASSERT_EQ(stream->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(persist->Load(stream.Get()), S_OK);
    ExpectProperties(loading.Get(), true);
}

TEST_F(Persistence, StreamsOfANewerMajorVersionLoadAsDefaultsAndBrokenOnesFail) {
    ComPtr<IDispatch> control = CreateLoader();
    SetProperties(control.Get());
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(control.As(&persist), S_OK);
    SavedProperties newer{0x00030000, {kProperties.begin(), kProperties.end()}};
    EXPECT_EQ(persist->Load(StreamOf(EncodeProperties(newer)).Get()), S_OK);
    ExpectProperties(control.Get(), false);
    std::string broken = EncodeProperties({0x00020003, {kProperties.begin(), kProperties.end()}});
    EXPECT_EQ(persist->Load(StreamOf(broken.substr(0, broken.size() - 1)).Get()), E_FAIL);
}

TEST_F(Persistence, APropertyBagRoundTripsThePropertiesWithTheVersion) {
    ComPtr<IDispatch> saving = CreateLoader();
    SetProperties(saving.Get());
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(saving.As(&persist), S_OK);
    MemoryBag bag;
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.values[L"_Version"], "131075");
    EXPECT_EQ(bag.values[L"DefaultURL"], "http://h/base/");

    ComPtr<IDispatch> loading = CreateLoader();
    ASSERT_EQ(loading.As(&persist), S_OK);
    ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
    ExpectProperties(loading.Get(), true);
}

TEST_F(Persistence, APagesParametersLoadUnlessANewerMajorVersionWroteThem) {
    const struct {
        const char* version;  // none: no "_Version" parameter
        bool loaded;
    } cases[] = {{nullptr, true}, {"65536", true}, {"131075", true}, {"196608", false}};
    for (const auto& c : cases) {
        ComPtr<IDispatch> control = CreateLoader();
        ComPtr<IPersistPropertyBag> persist;
        ASSERT_EQ(control.As(&persist), S_OK);
        MemoryBag bag;
        for (const auto& [name, value] : kProperties) bag.values[std::wstring(name.begin(), name.end())] = value;
        if (c.version) bag.values[L"_Version"] = c.version;
        EXPECT_EQ(persist->Load(&bag, nullptr), S_OK);
        ExpectProperties(control.Get(), c.loaded);
    }
}

}  // namespace
}  // namespace vexa::test
