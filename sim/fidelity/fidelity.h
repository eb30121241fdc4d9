#pragma once
// What Office and Windows do beyond the model of Outlook, each in a library of its own that only
// the tests and programs needing it link and install. Until one is installed, the simulated host
// answers as where that part is missing: WordEditor gives no document, SaveAs fails as for a type
// it does not know, no ribbon loads (its markup cannot be read), and DecodeText knows no
// character set.

#include "sim/outlook.h"

namespace fenmark::sim {

// Word as the editor of item windows: typing, Overtype, inserting files (read in their character
// set; an HTML page as its text, recording what it would fetch). Library fenmark_sim_word.
void UseWordEditor(Outlook& outlook);
// The files SaveAs writes: plain text, the message file in both formats, and the HTML rendering
// with its folder of pictures. Library fenmark_sim_renderings.
void UseRenderings(Outlook& outlook);
// Office reading the add-in's ribbon markup as it does before it shows anything: a document with
// an error customises nothing. Library fenmark_sim_markup.
void UseMarkupReader(Outlook& outlook);
// Windows' character sets. Library fenmark_sim_charsets.
void UseCharsets(Outlook& outlook);

// Every part: what a session of the whole add-in needs. Library fenmark_sim_fidelity.
inline void UseOffice(Outlook& outlook) {
  UseWordEditor(outlook);
  UseRenderings(outlook);
  UseMarkupReader(outlook);
  UseCharsets(outlook);
}

}  // namespace fenmark::sim
