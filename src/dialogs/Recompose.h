#pragma once

class AnimationDocument;
class FrameRecord;

// After an edit in place: the pictures that show the old state are dropped, and those
// that had been composed are composed again in the background. Call without holding the
// document's structure lock (the discards wait for running compositions).

// `frame` and every later frame whose picture builds on it.
void RecomposeFrom(FrameRecord* frame);
// Every frame (a change to the global palette, background or disposal).
void RecomposeAll(AnimationDocument& doc);
