#pragma once
// Hardware MIDI ports as media devices: one sequencer-type device (MCI_DEVTYPE_SEQUENCER) for each
// MIDI port of the process's MIDI output list (the ALSA sequencer ports that take MIDI, and any
// port device installed there), so that a title can be bound to a synthesizer on a port and the
// MIDI reset file reaches it before the title.
//
// A device's name is "sequencer-" followed by the port's name ("<client>: <port>") in lower case,
// with every run of characters other than letters and digits made one "-", and the numbers in
// parentheses that some programs add to their names ("FLUID Synth (4711)") left out: it stays the
// same from run to run while the port keeps its names, so an album can name it. A second port of
// the same name gets "-2", and so on. Its product name (the device menu's caption) is the port's
// name. A medium opened on it plays through a TAlsaPortSink on the port of that name found at
// open time; a port that has gone answers MCIERR_SEQ_PORT_NONEXISTENT.
//
// Registering again (the ports are looked at anew) adds only the devices not registered yet.
//
// A machine without an ALSA sequencer has no ports: nothing is registered, and nothing is said.
//
// Threads: main thread only (the media-control layer's).
#include <QString>

class TMciLayer;
class TMidiOutSystem;

// The media device name for the port named `portName`.
QString MidiPortDeviceName(const QString &portName);

// Registers one device per port of `outputs` with `layer`; returns how many were new.
int RegisterMidiPortDevices(TMciLayer &layer, TMidiOutSystem &outputs);
// The same with the process's MIDI output list.
int RegisterMidiPortDevices(TMciLayer &layer);
