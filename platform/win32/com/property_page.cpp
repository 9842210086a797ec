#include "platform/win32/com/property_page.hpp"

#include <oleauto.h>

#include <cstring>

#include "platform/win32/com/module_references.hpp"
#include "platform/win32/com/variant_value.hpp"

namespace vexa::com {
namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

std::string ReadProperty(IDispatch* object, DISPID id) {
    DISPPARAMS none{};
    VARIANT value;
    ::VariantInit(&value);
    std::string text;
    if (SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                                 nullptr))) {
        auto converted = ValueFromVariant(value, ValueType::String);
        if (converted) text = std::get<std::string>(*converted);
    }
    ::VariantClear(&value);
    return text;
}

HRESULT WriteProperty(IDispatch* object, DISPID id, const std::string& text) {
    VARIANT value;
    ValueToVariant(Value(text), &value);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    HRESULT status =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    ::VariantClear(&value);
    return status;
}

std::string EditText(HWND dialog, int id) {
    HWND edit = ::GetDlgItem(dialog, id);
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

HRESULT PropertyPage::Create(PageDescription description, REFIID iid, void** object) {
    auto* page = new PropertyPage(std::move(description));
    HRESULT status = page->QueryInterface(iid, object);
    page->Release();
    return status;
}

PropertyPage::PropertyPage(PageDescription description) : description_(std::move(description)) {
    AddModuleReference();
}

PropertyPage::~PropertyPage() {
    Deactivate();
    ReleaseObjects();
    SetPageSite(nullptr);
    ReleaseModuleReference();
}

HRESULT PropertyPage::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = iid == IID_IUnknown || iid == IID_IPropertyPage ? static_cast<IPropertyPage*>(this) : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG PropertyPage::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG PropertyPage::Release() {
    LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT PropertyPage::SetPageSite(IPropertyPageSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}

HRESULT PropertyPage::Activate(HWND parent, LPCRECT place, BOOL) {
    if (dialog_) return E_UNEXPECTED;
    dialog_ = ::CreateDialogParamA(ThisModule(), MAKEINTRESOURCEA(description_.dialog), parent, DialogProcedure,
                                   reinterpret_cast<LPARAM>(this));
    if (!dialog_) return E_FAIL;
    if (place) Move(place);
    ShowProperties();
    return S_OK;
}

HRESULT PropertyPage::Deactivate() {
    if (dialog_) ::DestroyWindow(dialog_);
    dialog_ = nullptr;
    return S_OK;
}

HRESULT PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    const std::size_t bytes = (description_.title.size() + 1) * sizeof(wchar_t);
    auto* title = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!title) return E_OUTOFMEMORY;
    std::memcpy(title, description_.title.c_str(), bytes);
    *info = PROPPAGEINFO{sizeof(PROPPAGEINFO), title, {250, 62}, nullptr, nullptr, 0};
    return S_OK;
}

HRESULT PropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    ReleaseObjects();
    for (ULONG i = 0; i < count; ++i) {
        IDispatch* object = nullptr;
        if (objects && objects[i] &&
            SUCCEEDED(objects[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object))))
            objects_.push_back(object);
    }
    ShowProperties();
    return S_OK;
}

HRESULT PropertyPage::Show(UINT command) {
    if (dialog_) ::ShowWindow(dialog_, static_cast<int>(command));
    return S_OK;
}

HRESULT PropertyPage::Move(LPCRECT place) {
    if (!place) return E_POINTER;
    if (dialog_) ::MoveWindow(dialog_, place->left, place->top, place->right - place->left, place->bottom - place->top, TRUE);
    return S_OK;
}

HRESULT PropertyPage::IsPageDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT PropertyPage::Apply() {
    if (!dirty_ || !dialog_) return S_OK;
    HRESULT status = S_OK;
    for (IDispatch* object : objects_)
        for (std::size_t i = 0; i < description_.properties.size(); ++i) {
            HRESULT written = WriteProperty(object, description_.properties[i],
                                            EditText(dialog_, kFirstPropertyEdit + static_cast<int>(i)));
            if (FAILED(written)) status = written;
        }
    if (SUCCEEDED(status)) Changed(PROPPAGESTATUS_CLEAN);
    return status;
}

HRESULT PropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

HRESULT PropertyPage::TranslateAccelerator(MSG* message) {
    return dialog_ && message && ::IsDialogMessageA(dialog_, message) ? S_OK : S_FALSE;
}

INT_PTR CALLBACK PropertyPage::DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* page = reinterpret_cast<PropertyPage*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (page && message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && !page->filling_) {
        page->Changed(PROPPAGESTATUS_DIRTY);
        return TRUE;
    }
    return FALSE;
}

void PropertyPage::ReleaseObjects() {
    for (IDispatch* object : objects_) object->Release();
    objects_.clear();
}

// The first object's values; Apply writes the boxes to every object.
void PropertyPage::ShowProperties() {
    if (!dialog_ || objects_.empty()) return;
    filling_ = true;
    for (std::size_t i = 0; i < description_.properties.size(); ++i)
        ::SetDlgItemTextA(dialog_, kFirstPropertyEdit + static_cast<int>(i),
                          ReadProperty(objects_.front(), description_.properties[i]).c_str());
    filling_ = false;
    dirty_ = false;
}

void PropertyPage::Changed(DWORD status) {
    dirty_ = status == PROPPAGESTATUS_DIRTY;
    if (site_) site_->OnStatusChange(status);
}

}  // namespace vexa::com
