#include <ole2.h>

#include <array>

#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

// The least of a page's host: a client site that lets the control activate in place in
// a window of the test.
class PageSite final : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit PageSite(HWND window) : window_(window) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) *object = static_cast<IOleClientSite*>(this);
        if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *object = static_cast<IOleInPlaceSite*>(this);
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
        active = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT,
                                               LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
        active = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    bool active = false;

private:
    HWND window_;
};

std::array<LONG, 4> Sides(const RECT& area) { return {area.left, area.top, area.right, area.bottom}; }

// Where the window sits in its parent.
std::array<LONG, 4> Placement(HWND window) {
    RECT area;
    ::GetWindowRect(window, &area);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&area), 2);
    return Sides(area);
}

using InPlace = VexaLoadTest;

TEST_F(InPlace, ActivatingMakesAChildWindowOfThePageThatFollowsItsRectangle) {
    HWND page = ::CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                                  nullptr);
    if (!page) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
    PageSite site(page);
    ComPtr<IDispatch> control = CreateLoader();
    ComPtr<IOleObject> object;
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(control.As(&object), S_OK);
    ASSERT_EQ(control.As(&inPlace), S_OK);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ComPtr<IOleClientSite> held;
    EXPECT_EQ(object->GetClientSite(&held), S_OK);
    EXPECT_EQ(held.Get(), static_cast<IOleClientSite*>(&site));

    RECT place{10, 20, 51, 59};
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, page, &place), S_OK);
    EXPECT_TRUE(site.active);
    HWND window = nullptr;
    ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
    EXPECT_EQ(::GetParent(window), page);
    EXPECT_EQ(Placement(window), Sides(place));

    RECT moved{5, 5, 46, 44};
    EXPECT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    EXPECT_EQ(Placement(window), Sides(moved));

    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(site.active);
    EXPECT_FALSE(::IsWindow(window));
    ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, page, &place), S_OK) << "again, on the held site";
    EXPECT_TRUE(site.active);
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(site.active);
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
    ::DestroyWindow(page);
}

TEST_F(InPlace, HostsThatDrawTheControlGetItsPicture) {
    ComPtr<IDispatch> control = CreateLoader();
    ComPtr<IViewObject2> view;
    ASSERT_EQ(control.As(&view), S_OK);
    SIZEL extent{};
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
    EXPECT_EQ(extent.cx, 1085) << "the page's _ExtentX";
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), 41, 39, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);  // a memory DC's own bitmap is monochrome
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    ::PatBlt(dc, 0, 0, 41, 39, WHITENESS);
    RECTL bounds{0, 0, 41, 39};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(::GetPixel(dc, 3, 3), ::GetSysColor(COLOR_BTNFACE)) << "inside the frame";
    EXPECT_NE(::GetPixel(dc, 0, 0), ::GetSysColor(COLOR_BTNFACE)) << "the frame";
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

}  // namespace
}  // namespace vexa::test
