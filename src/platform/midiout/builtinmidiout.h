#pragma once
// The built-in synthesizer as MIDI output device 0, heard through the media-control layer's audio
// output for the life of the program: a plug-in that sends notes to device 0 with midiOutShortMsg
// hears them in the same mix as the titles.
//
// AttachBuiltInMidiOut() makes a TSynthMidiOut at the output's rate, installs it as device 0 of
// the process's MIDI output list and attaches it to the output. The synthesizer itself (the
// SoundFont) is loaded only when a handle first opens device 0. DetachBuiltInMidiOut() takes it
// off the output again; it runs by itself when the layer drops that output (replaced, or the layer
// ends), and a second call does nothing.
//
// Threads: main thread only.

class TMciLayer;
class TMidiOutSystem;

// False, with nothing changed, when the layer has no output, device 0 is open (it cannot be
// replaced then) or the output takes no more sources. A device attached before makes way.
bool AttachBuiltInMidiOut(TMciLayer &layer, TMidiOutSystem &outputs);
// The same with the process's MIDI output list.
bool AttachBuiltInMidiOut(TMciLayer &layer);

void DetachBuiltInMidiOut();
