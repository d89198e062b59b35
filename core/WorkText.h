// The texts the working file holds (file names, the comment, date and time): whether a
// text can be written there and read back as it is, and the refusal that names it.
//
// The working file is read as blank-separated fields in which a field beginning with
// "#" passes over the rest of its line; the comment is the rest of its line; the file
// is Windows-1252. So a name cannot hold a blank, a name read as a field of its own
// cannot begin with "#", the comment cannot begin with "#" nor hold a line break, and
// no text can hold a character the code page lacks (or whose bytes read back as
// another text). Every place that stores such a text checks it here first and keeps
// the old value when it is refused; the writer refuses a file holding one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class WorkField {
  Name,      // a field of its own: a channel file name, an input name of the calculation dialogs
  RowName,   // a field of a row read whole: a simulation file name (it may begin with "#")
  Comment,   // the rest of a line: the comment (one line end at its end is allowed)
  DateTime,  // the date or the time (blanks are written as "_")
};

// nullptr when the text, written into that field, reads back as it is (an empty text,
// and a comment, date or time of blanks only, stand for the field's default, which
// the writer puts in its place); otherwise why not, as "HOLDS A BLANK".
const char* WorkTextFault(std::string_view text, WorkField field);

// "<what> [<text>] <fault>\n\nTHE WORKING FILE CANNOT STORE IT"
std::string WorkTextRefusal(const std::string& what, std::string_view text, const char* fault);

// For a place that stores such a text: true when it can be stored. Otherwise a
// "Warning" box (head and an empty line first, when a head is given) with the refusal
// and "\n\nKEEPING [<kept>]", and false: the caller keeps the old value.
bool WorkTextAccepted(const std::string& what, std::string_view text, WorkField field, const char* kept,
                      const std::string& head = {});

// A pen colour number the working file holds (its reader takes 0 to 10).
inline bool WorkColourValid(int32_t colour) { return colour >= 0 && colour <= 10; }

// A name typed into an edit: the text without the blanks around it.
std::string WorkTextTyped(std::string_view text);

// The file name of display channel c (0-8) as above, with "CHN [c] FILENAME" and the
// channel's name kept. Set stores an accepted name; names outside 0-8 are refused
// without a box.
bool ChannelNameAccepted(int c, const char* name);
bool ChannelNameSet(int c, const char* name);
