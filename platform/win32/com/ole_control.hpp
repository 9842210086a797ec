#pragma once
// An ActiveX control object over a portable control: IDispatch from its dispatch table,
// its events through one connection point, its stored properties through property bags
// and streams, safety for scripting and initialising, and enough in-place embedding for
// a page to hold it. The portable control lives on the creating (apartment) thread.
//
// `Class` describes the control:
//   Instance          constructed from (ControlPlace&, EventSink&), with a member
//                     `control` of the table's type; it makes the platform the control
//                     runs on, and keeps it longer than the control
//   Table()           the dispatch table
//   ClassId(), DispatchId(), EventsId()
//   PageClassId()     its property page, if it has one
//   kVersion          the PropertyVersion its stored properties carry
//   kCaption          what its window shows
//   kMiscStatus       its OLEMISC flags

#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string_view>
#include <vector>

#include "common/property_exchange.hpp"
#include "platform/win32/com/control_place.hpp"
#include "platform/win32/com/control_window.hpp"
#include "platform/win32/com/event_connection_point.hpp"
#include "platform/win32/com/module_references.hpp"
#include "platform/win32/com/object_safety.hpp"
#include "platform/win32/com/persisted_properties.hpp"
#include "platform/win32/com/table_dispatch.hpp"
#include "platform/win32/com/type_library.hpp"

namespace vexa::com {

template <typename Class>
concept HasPropertyPage = requires { Class::PageClassId(); };

template <typename Class>
class OleControl final : public IDispatch,
                         public IProvideClassInfo2,
                         public IConnectionPointContainer,
                         public IPersistStreamInit,
                         public IPersistPropertyBag,
                         public IOleObject,
                         public IOleInPlaceObject,
                         public IOleControl,
                         public ISpecifyPropertyPages,
                         public IViewObject2,
                         public ObjectSafety,
                         public ControlPlace {
public:
    static HRESULT Create(REFIID iid, void** object) {
        auto* control = new OleControl();
        HRESULT status = control->QueryInterface(iid, object);
        control->Release();
        return status;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = Interface(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = static_cast<ULONG>(--references_);
        if (left == 0) delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (index != 0) return DISP_E_BADINDEX;
        return ModuleTypeInfo(Class::DispatchId(), info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return TableIdsOfNames(Class::Table(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argumentError) override {
        HRESULT status = TableInvoke(Class::Table(), instance_->control, id, flags, params, result, argumentError);
        if (SUCCEEDED(status) && (flags & DISPATCH_PROPERTYPUT)) dirty_ = true;
        return status;
    }

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override { return ModuleTypeInfo(Class::ClassId(), info); }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override {
        if (!guid) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
        *guid = Class::EventsId();
        return S_OK;
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points) *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = nullptr;
        if (iid != Class::EventsId()) return CONNECT_E_NOCONNECTION;
        *point = &events_;
        events_.AddRef();
        return S_OK;
    }

    // IPersist, IPersistStreamInit, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        if (!id) return E_POINTER;
        *id = Class::ClassId();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE InitNew() override { return Load(SavedProperties{}); }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
        if (!stream) return E_POINTER;
        auto saved = ReadPropertyStream(*stream);
        return saved ? Load(*saved) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override {
        if (!stream) return E_POINTER;
        return Saved(WritePropertyStream(*stream, Saving()), clearDirty);
    }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size) return E_POINTER;
        size->QuadPart = EncodeProperties(Saving()).size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog*) override {
        if (!bag) return E_POINTER;
        return Load(ReadPropertyBag(*bag, PropertyNames()));
    }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL) override {
        if (!bag) return E_POINTER;
        return Saved(WritePropertyBag(*bag, Saving()), clearDirty);
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        if (site) site->AddRef();
        if (site_) site_->Release();
        site_ = site;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        if (!site) return E_POINTER;
        *site = site_;
        if (site_) site_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override { return InPlaceDeactivate(); }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override {
        if (data) *data = nullptr;
        return E_NOTIMPL;
    }
    // Every showing verb activates in place; the control has no other.
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT place) override {
        if (verb > 0) return OLEOBJ_S_INVALIDVERB;
        if (verb == OLEIVERB_HIDE) return InPlaceDeactivate();
        return ActivateInPlace(site ? site : site_, place);
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override {
        if (verbs) *verbs = nullptr;
        return OLEOBJ_E_NOVERBS;
    }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override { return GetClassID(id); }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
        extent_ = *size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
        *size = extent_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override {
        if (advise) *advise = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        if (!status) return E_POINTER;
        *status = Class::kMiscStatus;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = Window();
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        window_.reset();
        if (inPlaceSite_) {
            inPlaceSite_->OnInPlaceDeactivate();
            inPlaceSite_->Release();
            inPlaceSite_ = nullptr;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT place, LPCRECT) override {
        if (!place) return E_POINTER;
        if (window_) window_->Move(*place);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override {
        if (!info) return E_POINTER;
        info->hAccel = nullptr;
        info->cAccel = 0;
        info->dwFlags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

    // ISpecifyPropertyPages, answered only by a class with a page.
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override {
        if (!pages) return E_POINTER;
        if constexpr (HasPropertyPage<Class>) {
            pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID)));
            pages->cElems = pages->pElems ? 1 : 0;
            if (!pages->pElems) return E_OUTOFMEMORY;
            pages->pElems[0] = Class::PageClassId();
            return S_OK;
        } else {
            *pages = CAUUID{0, nullptr};
            return E_NOTIMPL;
        }
    }

    // IViewObject, IViewObject2: the window's picture, for hosts that draw it themselves.
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                   BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!dc || !bounds) return E_INVALIDARG;
        PaintControl(dc, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom}, Class::kCaption);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) override {
        if (colors) *colors = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink** sink) override {
        if (sink) *sink = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, SIZEL* size) override {
        return GetExtent(aspect, size);
    }

    // ControlPlace
    HWND Window() const override { return window_ ? window_->Handle() : nullptr; }

private:
    OleControl() : events_(*this, Class::EventsId()) {
        AddModuleReference();
        instance_ = std::make_unique<typename Class::Instance>(*this, events_);
    }
    ~OleControl() {
        InPlaceDeactivate();
        instance_.reset();
        SetClientSite(nullptr);
        ReleaseModuleReference();
    }

    void* Interface(REFIID iid) {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == Class::DispatchId())
            return static_cast<IDispatch*>(this);
        if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(this);
        if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
        if (iid == IID_IPersist || iid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
        if (iid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
        if (iid == IID_IOleObject) return static_cast<IOleObject*>(this);
        if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) return static_cast<IOleInPlaceObject*>(this);
        if (iid == IID_IOleControl) return static_cast<IOleControl*>(this);
        if (iid == IID_ISpecifyPropertyPages && HasPropertyPage<Class>) return static_cast<ISpecifyPropertyPages*>(this);
        if (iid == IID_IViewObject || iid == IID_IViewObject2) return static_cast<IViewObject2*>(this);
        if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
        return nullptr;
    }

    static std::vector<std::string_view> PropertyNames() {
        std::vector<std::string_view> names;
        for (const auto& property : Class::Table().Properties()) names.push_back(property.name);
        return names;
    }

    SavedProperties Saving() { return SaveProperties(Class::Table(), instance_->control, Class::kVersion); }

    // Properties of a newer major version leave the control with its defaults; the load
    // itself succeeds, so the page still gets a working control.
    HRESULT Load(const SavedProperties& saved) {
        LoadProperties(Class::Table(), instance_->control, Class::kVersion, saved);
        dirty_ = false;
        return S_OK;
    }

    HRESULT Saved(HRESULT status, BOOL clearDirty) {
        if (SUCCEEDED(status) && clearDirty) dirty_ = false;
        return status;
    }

    HRESULT ActivateInPlace(IOleClientSite* site, LPCRECT place) {
        if (window_) return S_OK;
        if (!site) return E_UNEXPECTED;
        IOleInPlaceSite* inPlace = nullptr;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_NOINTERFACE;
        HWND parent = nullptr;
        if (inPlace->CanInPlaceActivate() != S_OK || FAILED(inPlace->GetWindow(&parent))) {
            inPlace->Release();
            return E_FAIL;
        }
        inPlace->OnInPlaceActivate();
        inPlaceSite_ = inPlace;
        RECT area = place ? *place : RECT{0, 0, 41, 39};
        window_ = std::make_unique<ControlWindow>(parent, area, Class::kCaption, [this] { RaiseClick(); });
        if (window_->Handle()) return S_OK;
        InPlaceDeactivate();
        return E_FAIL;
    }

    void RaiseClick() {
        if (const EventEntry* click = Class::Table().FindEvent(DISPID_CLICK)) events_.Raise(*click, {});
    }

    long references_ = 1;
    bool dirty_ = false;
    SIZEL extent_{1085, 1005};
    EventConnectionPoint events_;
    IOleClientSite* site_ = nullptr;
    IOleInPlaceSite* inPlaceSite_ = nullptr;
    std::unique_ptr<ControlWindow> window_;
    std::unique_ptr<typename Class::Instance> instance_;
};

}  // namespace vexa::com
