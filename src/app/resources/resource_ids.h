// Resource identifiers of the program file (shared by the .rc and the code).
#pragma once

#define IDI_QUILLORY_BLANK 1   // the window's icon: every pixel transparent
#define IDI_BUTTON_DOCUMENT 101  // "Add Word Doc File(s)": a word-processor document
#define IDI_BUTTON_FOLDER 102    // " Add All Word Doc Files In Folder": an open folder
#define IDI_BUTTON_FLOPPY 103    // "Save As Dot": a floppy disk
