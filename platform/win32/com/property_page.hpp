#pragma once
// A control's property page: a dialog of one edit box per stored property (the box of the
// table's property number i has the id kFirstPropertyEdit + i), read from the controls the
// page is set on and written back to them by Apply, through their IDispatch.

#include <ocidl.h>

#include <string>
#include <vector>

namespace vexa::com {

inline constexpr int kFirstPropertyEdit = 1000;

struct PageDescription {
    CLSID classId;
    int dialog;  // the dialog resource in this module
    std::wstring title;
    std::vector<DISPID> properties;  // in the order of their edit boxes
};

class PropertyPage final : public IPropertyPage {
public:
    // A new page for `description`, as the interface `iid`.
    static HRESULT Create(PageDescription description, REFIID iid, void** object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT place, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT place) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDirectory) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

private:
    explicit PropertyPage(PageDescription description);
    ~PropertyPage();
    static INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseObjects();
    void ShowProperties();
    void Changed(DWORD status);

    PageDescription description_;
    LONG references_ = 1;
    IPropertyPageSite* site_ = nullptr;
    std::vector<IDispatch*> objects_;
    HWND dialog_ = nullptr;
    bool dirty_ = false;
    bool filling_ = false;  // the page's own writes into its boxes change nothing
};

}  // namespace vexa::com
