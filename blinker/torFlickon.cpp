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

namespace id = dispid::torFlickon;

const ControlDescription kDescription{&CLSID_torFlickon, &IID__torFlickon, &DIID___torFlickon, "torFlickon",
                                      L"BACK", {id::Blink, id::StandardIcon, id::Interval}, kDefaultInterval};

}  // namespace

class torFlickon final : public DualControl<_torFlickon> {
public:
    torFlickon() : DualControl(kDescription) {}

    HRESULT STDMETHODCALLTYPE get_BlinkIcon1(IPictureDisp** value) override { return GetReference(phase1_, value); }
    HRESULT STDMETHODCALLTYPE putref_BlinkIcon1(IPictureDisp* value) override {
        return SetReference(phase1_, value, id::BlinkIcon1);
    }
    HRESULT STDMETHODCALLTYPE get_BlinkIcon2(IPictureDisp** value) override { return GetReference(phase2_, value); }
    HRESULT STDMETHODCALLTYPE putref_BlinkIcon2(IPictureDisp* value) override {
        return SetReference(phase2_, value, id::BlinkIcon2);
    }

private:
    // The phase is set so that the immediate tick sends the second picture.
    void Rewind() override { phase_ = true; }

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
        interval_ = ValidInterval(interval) ? interval : kDefaultInterval;
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

    ComPtr<IPictureDisp> phase1_;
    ComPtr<IPictureDisp> phase2_;
    bool phase_ = false;  // true: the next tick sends the second picture
};

HRESULT CreateTorFlickon(REFIID iid, void** out) {
    ComPtr<_torFlickon> control = ComPtr<_torFlickon>::Attach(new torFlickon());
    return control->QueryInterface(iid, out);
}

}  // namespace flickon
