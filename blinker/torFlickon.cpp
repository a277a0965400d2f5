// torFlickon: the two-phase blinker. While Blink is on, every tick of
// tmrBlink tells the host through UpdateIcon which of the two pictures to
// show; switching off sends StandardIcon once. The control never draws or
// converts a picture: UpdateIcon hands back the very reference it was given.
#include "Classes.h"
#include "ControlBase.h"
#include "Flickon0100_idl.h"

namespace flickon {

namespace {

constexpr long kDefaultInterval = 750;
constexpr long kMaxInterval = 65535;

const ControlDescription kDescription{&CLSID_torFlickon, &IID__torFlickon, &DIID___torFlickon, "torFlickon",
                                      L"BACK"};

namespace id = dispid::torFlickon;

HRESULT GetPicture(const ComPtr<IPictureDisp>& picture, IPictureDisp** out) {
    if (!out) return E_POINTER;
    *out = ComPtr<IPictureDisp>(picture).detach();
    return S_OK;
}

}  // namespace

class torFlickon final : public DualControl<_torFlickon> {
public:
    torFlickon() : DualControl(kDescription) {}

    HRESULT STDMETHODCALLTYPE get_Blink(VARIANT_BOOL* value) override {
        if (!value) return E_POINTER;
        *value = blink_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Blink(VARIANT_BOOL value) override {
        return Guarded(IID__torFlickon, [&]() -> HRESULT {
            const bool on = value != VARIANT_FALSE;
            if (on == blink_) return S_OK;
            blink_ = on;
            NotifyChanged(id::Blink);
            if (UserMode()) on ? Start() : Stop();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_StandardIcon(IPictureDisp** value) override { return GetPicture(standard_, value); }
    HRESULT STDMETHODCALLTYPE putref_StandardIcon(IPictureDisp* value) override {
        return SetPicture(standard_, value, id::StandardIcon);
    }
    HRESULT STDMETHODCALLTYPE get_BlinkIcon1(IPictureDisp** value) override { return GetPicture(phase1_, value); }
    HRESULT STDMETHODCALLTYPE putref_BlinkIcon1(IPictureDisp* value) override {
        return SetPicture(phase1_, value, id::BlinkIcon1);
    }
    HRESULT STDMETHODCALLTYPE get_BlinkIcon2(IPictureDisp** value) override { return GetPicture(phase2_, value); }
    HRESULT STDMETHODCALLTYPE putref_BlinkIcon2(IPictureDisp* value) override {
        return SetPicture(phase2_, value, id::BlinkIcon2);
    }
    HRESULT STDMETHODCALLTYPE get_Interval(long* value) override {
        if (!value) return E_POINTER;
        *value = interval_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Interval(long value) override {
        return Guarded(IID__torFlickon, [&]() -> HRESULT {
            if (value < 0 || value > kMaxInterval) RaiseInvalidArgument();
            interval_ = value;
            NotifyChanged(id::Interval);
            if (UserMode() && blink_) RestartTimer();
            return S_OK;
        });
    }

private:
    HRESULT SetPicture(ComPtr<IPictureDisp>& field, IPictureDisp* value, DISPID which) {
        return Guarded(IID__torFlickon, [&]() -> HRESULT {
            field = ComPtr<IPictureDisp>::Share(value);
            NotifyChanged(which);
            return S_OK;
        });
    }

    void RestartTimer() {
        Timer().SetTimerEnabled(false);
        Timer().SetTimerInterval(static_cast<UINT>(interval_));
        Timer().SetTimerEnabled(true);
    }

    // The phase is set so that the immediate tick sends the second picture.
    void Start() {
        phase_ = true;
        RestartTimer();
        Tick();
    }

    void Stop() {
        Timer().SetTimerEnabled(false);
        FireUpdateIcon(ComPtr<IPictureDisp>(standard_).get());
    }

    void Tick() override {
        if (!UserMode()) return;
        phase_ = !phase_;
        // Keep the picture alive through the event even if the handler
        // replaces it.
        ComPtr<IPictureDisp> picture = phase_ ? phase1_ : phase2_;
        FireUpdateIcon(picture.get());
    }

    void InitProperties() override {
        Timer().SetTimerEnabled(false);
        blink_ = false;
        interval_ = kDefaultInterval;
        standard_.reset();
        phase1_.reset();
        phase2_.reset();
    }

    void ReadProperties(PropertyReader& reader) override {
        // A control loaded again must not keep a timer that the loaded state
        // does not ask for.
        Timer().SetTimerEnabled(false);
        blink_ = reader.ReadBool(L"Blink", false);
        standard_ = reader.ReadPicture(L"StandardIcon");
        phase1_ = reader.ReadPicture(L"BlinkIcon1");
        phase2_ = reader.ReadPicture(L"BlinkIcon2");
        const long interval = reader.ReadLong(L"Interval", kDefaultInterval);
        interval_ = interval >= 0 && interval <= kMaxInterval ? interval : kDefaultInterval;
        if (UserMode() && blink_) Start();
    }

    void WriteProperties(PropertyWriter& writer) override {
        writer.WriteBool(L"Blink", blink_, false);
        writer.WriteObject(L"StandardIcon", standard_.get());
        writer.WriteObject(L"BlinkIcon1", phase1_.get());
        writer.WriteObject(L"BlinkIcon2", phase2_.get());
        writer.WriteLong(L"Interval", interval_, kDefaultInterval);
        writer.WriteText(L"DevoteTo", kDevoteTo);
    }

    bool blink_ = false;
    ComPtr<IPictureDisp> standard_;
    ComPtr<IPictureDisp> phase1_;
    ComPtr<IPictureDisp> phase2_;
    long interval_ = kDefaultInterval;
    bool phase_ = false;  // true: the next tick sends the second picture
};

HRESULT CreateTorFlickon(REFIID iid, void** out) {
    ComPtr<_torFlickon> control = ComPtr<_torFlickon>::Attach(new torFlickon());
    return control->QueryInterface(iid, out);
}

}  // namespace flickon
