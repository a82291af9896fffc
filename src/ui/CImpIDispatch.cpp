#include "ui/CImpIDispatch.h"

#include "app/BuildConstants.h"

namespace {
constexpr DISPID kJsMethodDispId = 1;
}

HRESULT CImpIDispatch::QueryInterface(const IID& riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid == IID_IDispatch || riid == IID_IUnknown) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG CImpIDispatch::AddRef() {
    return static_cast<ULONG>(++m_refCount);
}

ULONG CImpIDispatch::Release() {
    return static_cast<ULONG>(--m_refCount);
}

HRESULT CImpIDispatch::GetTypeInfoCount(unsigned* /*pctinfo*/) {
    return E_NOTIMPL;
}

HRESULT CImpIDispatch::GetTypeInfo(unsigned /*iTInfo*/, LCID /*lcid*/, void** /*ppTInfo*/) {
    return E_NOTIMPL;
}

HRESULT CImpIDispatch::GetIDsOfNames(const IID& /*riid*/, const std::string* rgszNames,
                                     unsigned cNames, LCID /*lcid*/, DISPID* rgDispId) {
    if (cNames == 0) {
        return S_OK;
    }
    // Every entry follows the one comparison of the first name.
    const bool match = rgszNames[0] == g_strJsMethodName;
    for (unsigned i = 0; i < cNames; ++i) {
        rgDispId[i] = match ? kJsMethodDispId : DISPID_UNKNOWN;
    }
    return match ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT CImpIDispatch::Invoke(DISPID dispIdMember, const IID& /*riid*/, LCID /*lcid*/,
                              WORD /*wFlags*/, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                              EXCEPINFO* /*pExcepInfo*/, unsigned* /*puArgErr*/) {
    if (dispIdMember != kJsMethodDispId || pDispParams == nullptr || pDispParams->cArgs < 2) {
        return S_OK;
    }
    // Reverse order: the next-to-last argument is the method, the last the parameters.
    const std::string method = pDispParams->rgvarg[1].bstrVal;
    const std::string params = pDispParams->rgvarg[0].bstrVal;
    IJavascriptTarget* window = m_mainWindow.load();
    std::string result = window != nullptr ? window->JavascriptToCPLUSPLUS(method, params) : "";
    if (pVarResult != nullptr) {
        VariantClear(pVarResult);
        pVarResult->vt = VT_BSTR;
        pVarResult->bstrVal = std::move(result);
    }
    return S_OK;
}
