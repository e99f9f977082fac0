#include "platform/mci/mcierrortext.h"

namespace {

struct TErrorText {
    MCIERROR code;
    const char *text;
};

constexpr TErrorText kTexts[] = {
    {MCIERR_INVALID_DEVICE_ID, "The device ID does not belong to an open device. Open the "
                               "device again and use the ID it returns."},
    {MCIERR_UNRECOGNIZED_KEYWORD, "The command holds a keyword the device does not know."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The device does not know this command."},
    {MCIERR_HARDWARE, "The audio output failed. Check the sound setup and try again."},
    {MCIERR_INVALID_DEVICE_NAME, "There is no media device of this name, or it is not open."},
    {MCIERR_OUT_OF_MEMORY, "There is not enough memory for this command."},
    {MCIERR_DEVICE_OPEN, "This device name is already in use by another open device. Give it "
                         "another alias."},
    {MCIERR_CANNOT_LOAD_DRIVER, "The device could not be started."},
    {MCIERR_MISSING_COMMAND_STRING, "The command is empty."},
    {MCIERR_PARAM_OVERFLOW, "The answer does not fit in the buffer given for it."},
    {MCIERR_MISSING_STRING_ARGUMENT, "The command lacks a text it needs."},
    {MCIERR_BAD_INTEGER, "A number in the command is not valid."},
    {MCIERR_PARSER_INTERNAL, "The command could not be read (internal error)."},
    {MCIERR_DRIVER_INTERNAL, "The device failed (internal error)."},
    {MCIERR_MISSING_PARAMETER, "The command lacks a parameter it needs."},
    {MCIERR_UNSUPPORTED_FUNCTION, "The device cannot carry out this command."},
    {MCIERR_FILE_NOT_FOUND, "The file cannot be found. Check that it exists and that the path "
                            "is right."},
    {MCIERR_DEVICE_NOT_READY, "The device is not ready."},
    {MCIERR_INTERNAL, "The media-control layer failed (internal error)."},
    {MCIERR_DRIVER, "The device reported an error it could not name."},
    {MCIERR_CANNOT_USE_ALL, "This command cannot be sent to all devices at once."},
    {MCIERR_MULTIPLE, "The command failed on several devices."},
    {MCIERR_EXTENSION_NOT_FOUND, "No media device plays files of this type (see the "
                                 "[mci extensions] section of mci.ini)."},
    {MCIERR_OUTOFRANGE, "The value is outside the range the medium allows."},
    {MCIERR_FLAGS_NOT_COMPATIBLE, "The command combines options that exclude each other."},
    {MCIERR_FILE_NOT_SAVED, "The file was not saved."},
    {MCIERR_DEVICE_TYPE_REQUIRED, "No device was named. Name a device type."},
    {MCIERR_DEVICE_LOCKED, "The device is busy. Wait until it is free and try again."},
    {MCIERR_DUPLICATE_ALIAS, "This alias is already in use by an open device."},
    {MCIERR_BAD_CONSTANT, "A value in the command is not valid for this device."},
    {MCIERR_MUST_USE_SHAREABLE, "The device is in use. Open it as shareable."},
    {MCIERR_MISSING_DEVICE_NAME, "The command lacks the device name."},
    {MCIERR_BAD_TIME_FORMAT, "The device does not support this time format."},
    {MCIERR_NO_CLOSING_QUOTE, "A quoted text in the command is not closed."},
    {MCIERR_DUPLICATE_FLAGS, "An option is given twice."},
    {MCIERR_INVALID_FILE, "The file cannot be played: it is damaged or not of a type this "
                          "device plays."},
    {MCIERR_NULL_PARAMETER_BLOCK, "The command needs a parameter block and none was given."},
    {MCIERR_UNNAMED_RESOURCE, "An unnamed file cannot be saved. Name the file."},
    {MCIERR_NEW_REQUIRES_ALIAS, "A new medium needs an alias."},
    {MCIERR_NOTIFY_ON_AUTO_OPEN, "A device opened automatically cannot send notices."},
    {MCIERR_NO_ELEMENT_ALLOWED, "This device does not play files."},
    {MCIERR_NONAPPLICABLE_FUNCTION, "The command cannot be carried out on this medium now: "
                                    "open a file on the device first, or choose a track that "
                                    "holds sound (a data track does not play)."},
    {MCIERR_ILLEGAL_FOR_AUTO_OPEN, "This command is not allowed for a device opened "
                                   "automatically."},
    {MCIERR_FILENAME_REQUIRED, "The command needs a file name."},
    {MCIERR_EXTRA_CHARACTERS, "The command has extra text after its end."},
    {MCIERR_DEVICE_NOT_INSTALLED, "This media device is not installed."},
    {MCIERR_GET_CD, "The file or folder could not be reached."},
    {MCIERR_SET_CD, "The file or folder could not be reached."},
    {MCIERR_SET_DRIVE, "The drive could not be reached."},
    {MCIERR_DEVICE_LENGTH, "The device name or driver name is too long."},
    {MCIERR_DEVICE_ORD_LENGTH, "The device name or driver name is too long."},
    {MCIERR_NO_INTEGER, "The command needs a number."},
    {MCIERR_WAVE_OUTPUTSINUSE, "The audio output is in use by another program."},
    {MCIERR_WAVE_SETOUTPUTINUSE, "The chosen audio output is in use."},
    {MCIERR_WAVE_INPUTSINUSE, "The audio input is in use by another program."},
    {MCIERR_WAVE_SETINPUTINUSE, "The chosen audio input is in use."},
    {MCIERR_WAVE_OUTPUTUNSPECIFIED, "No audio output was chosen."},
    {MCIERR_WAVE_INPUTUNSPECIFIED, "No audio input was chosen."},
    {MCIERR_WAVE_OUTPUTSUNSUITABLE, "No audio output can play this file's sound format."},
    {MCIERR_WAVE_SETOUTPUTUNSUITABLE, "The chosen audio output cannot play this sound format."},
    {MCIERR_WAVE_INPUTSUNSUITABLE, "No audio input can record this sound format."},
    {MCIERR_WAVE_SETINPUTUNSUITABLE, "The chosen audio input cannot record this sound format."},
    {MCIERR_SEQ_DIV_INCOMPATIBLE, "The time format does not suit this MIDI file's timing."},
    {MCIERR_SEQ_PORT_INUSE, "The MIDI output is in use by another program."},
    {MCIERR_SEQ_PORT_NONEXISTENT, "The MIDI output does not exist."},
    {MCIERR_SEQ_PORT_MAPNODEVICE, "No MIDI output is set up for this file's channels."},
    {MCIERR_SEQ_PORT_MISCERROR, "The MIDI output failed."},
    {MCIERR_SEQ_TIMER, "The MIDI timer could not be started."},
    {MCIERR_SEQ_PORTUNSPECIFIED, "No MIDI output was chosen."},
    {MCIERR_SEQ_NOMIDIPRESENT, "No MIDI synthesizer or output is available: no General MIDI "
                               "SoundFont was found (set TONARIA_SOUNDFONT to a .sf2 file)."},
    {MCIERR_NO_WINDOW, "There is no window to show this medium in."},
    {MCIERR_CREATEWINDOW, "The window for this medium could not be made."},
    {MCIERR_FILE_READ, "The file could not be read. Check that it is not damaged and that you "
                       "may read it."},
    {MCIERR_FILE_WRITE, "The file could not be written. Check the free space and that you may "
                        "write there."},
    {MCIERR_NO_IDENTITY, "The medium does not identify itself."},
    {MCIERR_WRONG_THREAD, "Media devices can only be driven from the program's main thread."},
};

} // namespace

const char *mciErrorText(MCIERROR code)
{
    for (const TErrorText &entry : kTexts) {
        if (entry.code == code) return entry.text;
    }
    return nullptr;
}
