// The built-in titles of the system windows MODE_CONTROLWATCH keeps closed,
// in Japanese, English and Chinese (Simplified).
#pragma once

namespace ControlTitle {

// The built-in titles: S System Properties, N network, P printers, R the Run
// dialog, C Control Panel.
enum Key : unsigned char {
    S1, S2, S3, S4, S5, S6, S7,
    N1, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11, N12, N13, N14, N15, N16, N17, N18,
    N19, N20, N21, N22, N23, N24, N25, N26, N27, N28, N29, N30, N31, N32, N33, N34, N35,
    P1, P2, P3, P4, P5, P6, P7, P8, P9, P10, P11, P12, P13, P14,
    R1, R2, R3, R4,
    C1, C2, C3, C4, C5, C6,
    Count
};

}  // namespace ControlTitle

const wchar_t* BuiltInControlTitle(ControlTitle::Key key);
