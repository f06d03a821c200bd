#pragma once

namespace setup {

/// The maker line the backdrop prints under the title.
inline constexpr const wchar_t* kMakerLine = L"Une mise \u00E0 jour de l'Atelier Brumevent";
/// The tooltip of the logo: how to reach the maker.
inline constexpr const wchar_t* kMakerContact =
    L"Atelier Brumevent, 12 rue des Tilleuls, 99999 Valbrune - support@brumevent.example";

}  // namespace setup
