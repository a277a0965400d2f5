// torFlickon2: the frame-sequence blinker. While Blink is on, every tick
// sends the next frame of its IconFrames collection through UpdateIcon,
// cycling; with no collection or no frames it sends StandardIcon. The host
// may keep and change the same collection while the control uses it.
#include <climits>

#include "Classes.h"
#include "ControlBase.h"
#include "Flickon0100_idl.h"
#include "IconFrames.h"

namespace flickon {

namespace {

constexpr long kDefaultInterval = 150;

namespace id = dispid::torFlickon2;

const ControlDescription kDescription{&CLSID_torFlickon2, &IID__torFlickon2, &DIID___torFlickon2, "torFlickon2",
                                      L"BACK2", {id::Blink, id::StandardIcon, id::Interval}, kDefaultInterval};

long FrameCount(_IconFrames* frames) {
    long count = 0;
    Check(frames->get_Count(&count), "IconFrames.Count");
    return count;
}

}  // namespace

class torFlickon2 final : public DualControl<_torFlickon2> {
public:
    torFlickon2() : DualControl(kDescription) {}

    HRESULT STDMETHODCALLTYPE get_IconFrames(_IconFrames** value) override { return GetReference(frames_, value); }
    // Set and let do the same: neither restarts the animation nor moves the
    // frame position.
    HRESULT STDMETHODCALLTYPE putref_IconFrames(_IconFrames* value) override {
        return SetReference(frames_, value, id::IconFrames);
    }
    HRESULT STDMETHODCALLTYPE put_IconFrames(_IconFrames* value) override {
        return SetReference(frames_, value, id::IconFrames);
    }

private:
    void Rewind() override { position_ = 0; }

    void Tick() override {
        if (!UserMode()) return;
        // The handler may replace the collection or the standard picture:
        // hold what this tick works with.
        ComPtr<_IconFrames> frames = frames_;
        if (!frames || FrameCount(frames.get()) == 0) {
            FireUpdateIcon(ComPtr<IPictureDisp>(standard_).get());
            return;
        }
        // Frames removed while animating can leave the position past the
        // end: start over at the first frame.
        if (position_ >= FrameCount(frames.get())) position_ = 0;
        ComPtr<IPictureDisp> frame;
        Check(frames->get_Item(position_, frame.put()), "IconFrames.Item");
        FireUpdateIcon(frame.get());
        position_ = position_ == LONG_MAX ? 0 : position_ + 1;
        // Counted again after the event: frames the handler added or removed
        // decide the wrap. The collection is the one held now.
        if (!frames_ || position_ >= FrameCount(frames_.get())) position_ = 0;
    }

    void InitProperties() override {
        Timer().SetTimerEnabled(false);
        blink_ = false;
        interval_ = kDefaultInterval;
        standard_.reset();
        frames_.reset();
    }

    void ReadProperties(PropertyReader& reader) override {
        Timer().SetTimerEnabled(false);
        blink_ = reader.ReadBool(L"Blink", false);
        standard_ = reader.ReadPicture(L"StandardIcon");
        const long interval = reader.ReadLong(L"Interval", kDefaultInterval);
        interval_ = ValidInterval(interval) ? interval : kDefaultInterval;
        ComPtr<IUnknown> frames = reader.ReadObject(L"IconFrames");
        frames_ = frames ? frames.As<_IconFrames>(IID__IconFrames) : nullptr;
        if (!frames_) frames_ = NewIconFrames();
        if (UserMode() && blink_) Start();
    }

    void WriteProperties(PropertyWriter& writer) override {
        writer.WriteBool(L"Blink", blink_, false);
        writer.WriteObject(L"StandardIcon", standard_.get());
        writer.WriteLong(L"Interval", interval_, kDefaultInterval);
        // An empty collection is written as none, which is the default.
        long count = 0;
        if (frames_ && SUCCEEDED(frames_->get_Count(&count)) && count > 0) {
            writer.WriteObject(L"IconFrames", frames_.get());
        }
        writer.WriteText(L"DevoteTo", kDevoteTo);
    }

    ComPtr<_IconFrames> frames_;
    long position_ = 0;  // 0-based index of the frame the next tick sends
};

HRESULT CreateTorFlickon2(REFIID iid, void** out) {
    ComPtr<_torFlickon2> control = ComPtr<_torFlickon2>::Attach(new torFlickon2());
    return control->QueryInterface(iid, out);
}

}  // namespace flickon
