#include <windows.h>
#include <ocidl.h>

#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

constexpr int kDefaultUrlEdit = 1001;  // the second stored property's box

// Notes what the page reports to its frame.
class FrameSite final : public StackObject<IPropertyPageSite, IID_IPropertyPageSite> {
public:
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
        status = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) override {
        *locale = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return E_NOTIMPL; }
    DWORD status = 0;
};

using Page = VexaLoadTest;

TEST_F(Page, ShowsTheStoredPropertiesAndAppliesWhatWasTyped) {
    HWND frame = ::CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                   nullptr, nullptr);
    if (!frame) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
    ComPtr<IDispatch> control = CreateLoader();
    Put(control.Get(), "DefaultURL", "http://h/old/");
    ComPtr<ISpecifyPropertyPages> specify;
    ASSERT_EQ(control.As(&specify), S_OK);
    CAUUID pages{};
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    CLSID pageClass{};
    ASSERT_EQ(::CLSIDFromProgID(L"VEXALOAD.VexaLoaderPropPage.1", &pageClass), S_OK);
    EXPECT_TRUE(::IsEqualCLSID(pages.pElems[0], pageClass));
    ::CoTaskMemFree(pages.pElems);

    ComPtr<IPropertyPage> page;
    ASSERT_EQ(::CoCreateInstance(pageClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)), S_OK);
    FrameSite site;
    IUnknown* objects[] = {control.Get()};
    ASSERT_EQ(page->SetPageSite(&site), S_OK);
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    RECT place{0, 0, 380, 120};
    ASSERT_EQ(page->Activate(frame, &place, FALSE), S_OK);
    HWND dialog = ::GetWindow(frame, GW_CHILD);
    char shown[64] = {};
    ::GetDlgItemTextA(dialog, kDefaultUrlEdit, shown, sizeof shown);
    EXPECT_STREQ(shown, "http://h/old/");
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);

    ::SetDlgItemTextA(dialog, kDefaultUrlEdit, "http://h/new/");
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(site.status, static_cast<DWORD>(PROPPAGESTATUS_DIRTY));
    ASSERT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(Get(control.Get(), "DefaultURL"), Value(std::string("http://h/new/")));
    EXPECT_EQ(Get(control.Get(), "DefaultPara"), Value(std::string())) << "untouched boxes keep their values";

    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(page->SetPageSite(nullptr), S_OK);
    ::DestroyWindow(frame);
}

}  // namespace
}  // namespace vexa::test
