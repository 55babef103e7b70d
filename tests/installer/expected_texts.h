// The texts the user reads, as the string table must hold them.
#pragma once

struct ExpectedText {
    int id;
    const wchar_t* text;
};

inline const ExpectedText kExpectedTexts[] = {
    {101, L"&About QKP_LPCHG..."},
    {102, L"\x30e2\x30b8\x30e5\x30fc\x30eb\x306e\x30a4\x30f3\x30b9\x30c8\x30fc\x30eb\x304c\x5b8c\x4e86\x3057\x307e\x3057\x305f\x3002"},
    {103, L"\x30e2\x30b8\x30e5\x30fc\x30eb\x306e\x30a4\x30f3\x30b9\x30c8\x30fc\x30eb\x304c\x5b8c\x4e86\x3057\x307e\x3057\x305f\x3002\r\n\x0057\x0069\x006e\x0064\x006f\x0077\x0073\x3092\x518d\x8d77\x52d5\x3057\x3066\x304f\x3060\x3055\x3044\x3002"},
    {104, L"\x30e6\x30fc\x30b6\x306e\x6a29\x9650\x304c\x0041\x0064\x006d\x0069\x006e\x0069\x0073\x0074\x0072\x0061\x0074\x006f\x0072\x3067\x306a\x3044\x305f\x3081\x3001\x30d7\x30ed\x30b0\x30e9\x30e0\x306e\x5b9f\x884c\x3092\x4e2d\x6b62\x3057\x307e\x3057\x305f\x3002"},
    {105, L"\x672c\x30e2\x30b8\x30e5\x30fc\x30eb\x304c\x9069\x7528\x3059\x308b\x74b0\x5883\x3067\x306f\x3001\x3042\x308a\x307e\x305b\x3093\x3067\x3057\x305f\x3002"},
    {106, L"Module installation complete."},
    {107, L"Module installation complete. To make the changes take effect restart your computer."},
    {108, L"Current user does not have administrator privleges. Installation canceled."},
    {109, L"It was not the environment which this module applies."},
};
