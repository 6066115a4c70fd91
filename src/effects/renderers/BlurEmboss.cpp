// Blur and Emboss: each frame is the convolution of the one before, so the change
// grows frame by frame. As a transition, two such runs start from both images and
// meet in the middle.
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/Convolution.h"
#include "effects/renderers/Renderers.h"

namespace {

bool UsableInput(const FrameRecord* f) {
    return f && f->bitsPerPixel == 8 && f->width >= 1 && f->height >= 1;
}

// The next frame of a run: a copy of `previous` convolved from it, linked behind `last`.
FrameRecord* NextConvolved(FrameRecord& previous, FrameRecord* last,
                           const ConvolutionKernel& kernel) {
    FrameRecord* frame = CopyFrameAfter(previous, last, true);
    if (!frame) return nullptr;
    const std::shared_ptr<TrueColourBuffer> from = previous.trueColourPlane();
    const std::shared_ptr<TrueColourBuffer> to = frame->trueColourPlane();
    Convolve(*to, *from, kernel);
    return frame;
}

FrameRecord* ConvolutionEffect(FrameRecord& frame1, int n, const EffectParams& p,
                               const ConvolutionKernel& kernel) {
    const bool preview = p.preview != 0;
    RenderProgress progress(frame1.document, preview);
    progress.Announce(n);
    FrameRecord* head = nullptr;
    FrameRecord* previous = &frame1;
    for (int i = 0; i < n; ++i) {
        FrameRecord* frame =
            NextConvolved(*previous, previous == &frame1 ? nullptr : previous, kernel);
        // Out of memory: the document stays as it was, Apply reports the failure.
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        previous = frame;
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    return FinishRun(&frame1, nullptr, head, n, preview);
}

FrameRecord* ConvolutionTransition(FrameRecord& frame1, FrameRecord& frame2, int n,
                                   const EffectParams& p, const ConvolutionKernel& kernel) {
    const bool preview = p.preview != 0;
    const int k = n / 2;
    const bool odd = (n % 2) != 0;
    RenderProgress progress(frame1.document, preview);
    progress.Announce(k);
    FrameRecord* headF = nullptr;
    FrameRecord* headG = nullptr;
    FrameRecord* lastF = &frame1;
    FrameRecord* lastG = &frame2;
    auto fail = [&]() -> FrameRecord* {
        DiscardUnreducedChain(headF);
        DiscardUnreducedChain(headG);
        return nullptr;
    };
    for (int step = 1; step <= k; ++step) {
        FrameRecord* f = NextConvolved(*lastF, lastF == &frame1 ? nullptr : lastF, kernel);
        if (!f) return fail();
        if (!headF) headF = f;
        FrameRecord* g = NextConvolved(*lastG, lastG == &frame2 ? nullptr : lastG, kernel);
        if (!g) return fail();
        if (!headG) headG = g;
        lastF = f;
        lastG = g;
        if (step == k - 1) {
            CrossMixPixels(*f->trueColourPlane(), *g->trueColourPlane(), nullptr);
        } else if (step == k) {
            FrameRecord* middle = nullptr;
            if (odd) {
                // The middle frame is written whole, so it needs no content of its own.
                middle = CopyFrameAfter(*f, f, true);
                if (!middle) return fail();
            }
            CrossMixPixels(*f->trueColourPlane(), *g->trueColourPlane(),
                           middle ? middle->trueColourPlane().get() : nullptr);
        }
        if (!progress.Step()) return fail();
    }
    // F1..Fk [M] Gk..G1
    FrameRecord* tail = LastOfChain(headF);
    FrameRecord* reversed = ReverseChain(headG);
    tail->next = reversed;
    reversed->prev = tail;
    return FinishRun(&frame1, &frame2, headF, n, preview);
}

FrameRecord* RenderConvolution(FrameRecord* frame1, FrameRecord* frame2, int n,
                               const EffectParams& p, const ConvolutionKernel& kernel) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    if (frame2 && (n < 2 || !UsableInput(frame2))) return nullptr;
    // The inputs keep a valid palette: their true colour is only read.
    if (!ToTrueColour(*frame1, false)) return nullptr;
    if (frame2 && !ToTrueColour(*frame2, false)) return nullptr;
    if (frame2) return ConvolutionTransition(*frame1, *frame2, n, p, kernel);
    return ConvolutionEffect(*frame1, n, p, kernel);
}

}  // namespace

FrameRecord* RenderBlur(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    return RenderConvolution(frame1, frame2, n, p, BlurKernel(p.value[0]));
}

FrameRecord* RenderEmboss(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    return RenderConvolution(frame1, frame2, n, p, EmbossKernel(p.value[0], p.value[1]));
}
