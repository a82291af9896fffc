#pragma once
// The one scriptable object that pages reach as window.external. Its single member forwards
// (method, parameters) to the launcher's main window and returns the window's answer.

#include <atomic>
#include <functional>
#include <string>

#include "ui/com/Com.h"

// What the bridge calls: the main window's dispatcher. Set while the main window exists.
class IJavascriptTarget {
  public:
    virtual ~IJavascriptTarget() = default;
    virtual std::string JavascriptToCPLUSPLUS(const std::string& method,
                                              const std::string& params) = 0;
};

class CImpIDispatch : public IDispatch {
  public:
    CImpIDispatch() = default;
    virtual ~CImpIDispatch() = default;
    CImpIDispatch(const CImpIDispatch&) = delete;
    CImpIDispatch& operator=(const CImpIDispatch&) = delete;

    HRESULT QueryInterface(const IID& riid, void** ppv) override;
    // Counting only: a release never destroys the object, the application owns it.
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetTypeInfoCount(unsigned* pctinfo) override;
    HRESULT GetTypeInfo(unsigned iTInfo, LCID lcid, void** ppTInfo) override;
    HRESULT GetIDsOfNames(const IID& riid, const std::string* rgszNames, unsigned cNames, LCID lcid,
                          DISPID* rgDispId) override;
    HRESULT Invoke(DISPID dispIdMember, const IID& riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   unsigned* puArgErr) override;

    // The application's main window; null while there is none (calls then answer "").
    void SetMainWindow(IJavascriptTarget* window) { m_mainWindow = window; }
    long RefCount() const { return m_refCount; }

  private:
    std::atomic<std::int32_t> m_refCount{0};
    std::atomic<IJavascriptTarget*> m_mainWindow{nullptr};
};
