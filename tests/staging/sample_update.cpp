#include "tests/staging/sample_update.h"

#include <exception>

namespace setup::test {

const MemoryTree kSampleOldTree{
    {L"/inst/kelvane.exe", "kelvane 3.0"},
    {L"/inst/lisez-moi.txt", "lisez-moi"},
    {L"/inst/modules/calcul.dll", "<read-only> calcul 3.0"},
    {L"/inst/modules/extra/profil.dat", "profil 3.0"},
    {L"/upd/kelvane.exe", "kelvane 3.1"},
    {L"/upd/aide.txt", "aide 3.1"},
    {L"/upd/modules/calcul.dll", "calcul 3.1"},
    {L"/upd/modules/extra/profil.dat", "profil 3.1"},
    {L"/upd/modules/extra/nouveau.dat", "nouveau 3.1"},
    {L"/upd/a/b/c.txt", "c 3.1"},
    {L"/upd/setup.lst", "list"},
};

const MemoryValues kSampleOldValues{
    {{L"Kelvane", L"Path"}, L"/inst"},
    {{L"Kelvane", L"Version"}, L"3.0"},
};

const MemoryTree kSampleNewTree = [] {
    MemoryTree tree = kSampleOldTree;
    tree[L"/inst/kelvane.exe"] = "kelvane 3.1";
    tree[L"/inst/aide.txt"] = "aide 3.1";
    tree[L"/inst/modules/calcul.dll"] = "<read-only> calcul 3.1";
    tree[L"/inst/modules/extra/profil.dat"] = "profil 3.1";
    tree[L"/inst/modules/extra/nouveau.dat"] = "nouveau 3.1";
    tree[L"/inst/a/b/c.txt"] = "c 3.1";
    return tree;
}();

const MemoryValues kSampleNewValues{
    {{L"Kelvane", L"Path"}, L"/inst"},
    {{L"Kelvane", L"Version"}, L"3.1"},
    {{L"Atelier", L"Version"}, L"1.0"},
};

const PlanInput kSampleInput{
    L"/upd",
    L"/inst",
    {L"kelvane.exe", L"modules\\calcul.dll", L"modules\\extra\\profil.dat", L"modules\\extra\\nouveau.dat",
     L"aide.txt", L"a\\b\\c.txt"},
    {{L"Kelvane", L"3.1"}, {L"Atelier", L"1.0"}},
};

void carryOut(StagedUpdate& update) {
    try {
        update.begin();
        for (std::size_t index = 0; index < update.plan().files.size(); ++index) update.stage(index);
        update.commit();
    } catch (const std::exception&) {
        update.undo();
        throw;
    }
    update.finish();
}

std::vector<std::wstring> ownFilesIn(const MemoryTree& tree) {
    std::vector<std::wstring> own;
    for (const auto& entry : tree) {
        const std::wstring name = entry.first.substr(entry.first.find_last_of(L'/') + 1);
        // The trust file is the one file of the program's own that stays: it is no leftover.
        if (isOwnFileName(name) && name != kTrustName) own.push_back(entry.first);
    }
    return own;
}

}  // namespace setup::test
