#pragma once
// Resource identifiers of velmora.exe.

#define IDI_APP 1

// Small pictures, as icon resources so that they keep a transparent surround.
#define IDI_OPEN_BITMAP 101    // 16 x 16: open yellow folder, curved arrow above
#define IDI_REMOVE 102         // 16 x 16: black X
#define IDI_APPLY 103          // 16 x 16: blue-and-white chequered box with a sparkle
#define IDI_OPEN_GIFJPEG 104   // 36 x 16: two documents with pictures and pencils
#define IDI_SAVE_BMP 105       // 16 x 16: pencils in a cup beside a document
#define IDI_CAMERA 106         // 16 x 16: grey camera
#define IDI_PERSON 107         // 39 x 31: head-and-shoulders portrait

// The three toolbar mock-ups, 24-bit bitmaps with the exact key colour.
#define IDB_MOCKUP_IE 201        // 332 x 172
#define IDB_MOCKUP_OE 202        // 332 x 174
#define IDB_MOCKUP_EXPLORER 203  // 332 x 172
