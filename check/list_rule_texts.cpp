#include "check/list_rule_texts.h"

#include "check/plan_refusal_text.h"
#include "platform/program_files.h"
#include "platform/quoting.h"

namespace setup::check {

namespace {

const std::wstring kStopsOnError =
    L"setup s'arr\u00EAterait sur l'erreur \u00AB Mise \u00E0 jour non termin\u00E9e \u00BB";
const std::wstring kSaveAsAnsi =
    L"Veuillez enregistrer la liste en Windows-1252 (\u00AB ANSI \u00BB dans la plupart des \u00E9diteurs), "
    L"sans marque d'ordre des octets.";
const std::wstring kWriteVersion = L"Veuillez \u00E9crire la version en chiffres, par exemple 3.1.";

std::wstring versionTextName(VersionText which) {
    switch (which) {
        case VersionText::LowerBound:
            return L"La borne inf\u00E9rieure";
        case VersionText::UpperBound:
            return L"La borne sup\u00E9rieure";
        case VersionText::Stamp:
            break;
    }
    return L"La version \u00E0 inscrire";
}

}  // namespace

RuleText noListText() {
    const std::wstring list = kUpdateListName;
    return {
        L"Aucune liste " + list + L" lisible dans le dossier de mise \u00E0 jour : " + kStopsOnError + L".",
        L"Veuillez placer la liste " + list + L" dans le dossier de mise \u00E0 jour."};
}

RuleText noProgramText() {
    return {
        L"Ni setup ni setup.exe ne se trouve \u00E0 c\u00F4t\u00E9 de la liste : l'utilisateur n'a rien "
        L"\u00E0 lancer.",
        L"Veuillez copier le programme setup (setup.exe sous Windows) dans le dossier de mise \u00E0 "
        L"jour."};
}

RuleText noTitleText(const std::wstring& caption) {
    return {
        L"La liste n'a pas d'entr\u00E9e de titre : la fen\u00EAtre affiche " + guillemets(caption) + L".",
        L"Veuillez commencer la liste par \u00AB ; \u00BB suivi du titre de la mise \u00E0 jour."};
}

RuleText titleNotFirstText() {
    return {L"Le titre n'est pas la premi\u00E8re entr\u00E9e de la liste.",
            L"Veuillez placer le titre en t\u00EAte de la liste."};
}

RuleText lastWarningRepeatedText() {
    return {
        L"La liste se termine par un avertissement : setup l'affiche une seconde fois juste avant la "
        L"question de confirmation.",
        L""};
}

RuleText fileNotNamedText(const std::wstring& file) {
    return {guillemets(file) +
                L" n'est nomm\u00E9 par aucune entr\u00E9e : il n'est ni copi\u00E9 ni "
                L"supprim\u00E9.",
            L"Veuillez ajouter ce fichier \u00E0 la liste, ou le retirer du dossier."};
}

RuleText unclosedQuoteText() {
    return {L"Un guillemet ouvert ici n'est jamais ferm\u00E9 : " + kStopsOnError +
                L", et rien apr\u00E8s ce guillemet n'est lu.",
            L"Veuillez fermer le guillemet \u00E0 la fin de l'entr\u00E9e."};
}

RuleText notWindows1252Text(const std::wstring& entry) {
    if (entry.rfind(L"\u00C2\u00A7", 0) == 0) {
        return {
            L"Le \u00AB \u00A7 \u00BB est enregistr\u00E9 en UTF-8 (octets C2 A7) : setup lit "
            L"\u00AB \u00C2\u00A7 \u00BB et prend cette plage de versions pour un fichier \u00E0 copier.",
            kSaveAsAnsi};
    }
    if (entry.rfind(L"\u00EF\u00BB\u00BF", 0) == 0) {
        return {
            L"La liste commence par la marque d'ordre des octets UTF-8 : setup la lit "
            L"\u00AB \u00EF\u00BB\u00BF \u00BB au d\u00E9but de la premi\u00E8re entr\u00E9e, qui change "
            L"de nature.",
            kSaveAsAnsi};
    }
    return {L"Cette ligne contient du texte en UTF-8 : setup afficherait " + guillemets(entry) + L".",
            kSaveAsAnsi};
}

RuleText warningCutAtCommaText(const std::wstring& shown) {
    return {L"L'avertissement s'arr\u00EAte \u00E0 la virgule : setup affiche " + guillemets(shown) +
                L" et lit la suite de la ligne comme d'autres entr\u00E9es (des fichiers \u00E0 copier).",
            L"Veuillez mettre tout l'avertissement, \u00AB ! \u00BB compris, entre guillemets."};
}

RuleText emptyEntryText() {
    return {L"Entr\u00E9e vide (ligne vide, virgule en trop ou espaces seuls).",
            L"Veuillez retirer la ligne vide ou la virgule en trop."};
}

RuleText sectionBracketLastText() {
    return {L"Le \u00AB [ \u00BB est le dernier caract\u00E8re de l'entr\u00E9e : " + kStopsOnError + L".",
            L"Veuillez \u00E9crire le nom du produit entre crochets, par exemple [Kelvane], ou retirer le "
            L"\u00AB [ \u00BB."};
}

RuleText sectionNotClosedText(const std::wstring& section) {
    return {
        L"La section n'est pas ferm\u00E9e par \u00AB ] \u00BB : setup retire quand m\u00EAme le dernier "
        L"caract\u00E8re et lit le produit " +
            guillemets(section) + L".",
        L"Veuillez fermer le nom du produit par \u00AB ] \u00BB \u00E0 la fin de l'entr\u00E9e."};
}

RuleText textAfterSectionText(const std::wstring& after, const std::wstring& section) {
    return {
        guillemets(after) + L" suit le \u00AB ] \u00BB : setup lit le produit " + guillemets(section) + L".",
        L"Veuillez terminer l'entr\u00E9e par \u00AB ] \u00BB ; une borne sup\u00E9rieure se place avant "
        L"le \u00AB [ \u00BB."};
}

RuleText versionBlankText(const std::wstring& section) {
    return {
        L"Aucune version n'est \u00E9crite apr\u00E8s \u00AB # \u00BB : setup inscrirait une version vide "
        L"pour " +
            section + L".",
        kWriteVersion};
}

RuleText versionWithoutNumberText(VersionText which, const std::wstring& text) {
    return {versionTextName(which) + L" " + guillemets(text) +
                L" ne commence par aucun nombre : setup la lit comme 0.",
            kWriteVersion};
}

RuleText versionTooLargeText(VersionText which, const std::wstring& text) {
    return {versionTextName(which) + L" " + guillemets(text) + L" est un nombre trop grand : " +
                kStopsOnError + L".",
            kWriteVersion};
}

RuleText tooManyEntriesText() {
    return {L"Plus de 32 767 fichiers \u00E0 copier : " + kStopsOnError + L".",
            L"Veuillez r\u00E9partir les fichiers sur plusieurs mises \u00E0 jour."};
}

RuleText fileListedTwiceText(const std::wstring& name, std::size_t firstLine) {
    return {guillemets(name) + L" est d\u00E9j\u00E0 copi\u00E9 par la ligne " + std::to_wstring(firstLine) +
                L" : il serait copi\u00E9 deux fois.",
            L"Veuillez ne garder qu'une entr\u00E9e pour ce fichier."};
}

RuleText outsideUpdateFolderText(const std::wstring& name) {
    return {guillemets(name) +
                L" d\u00E9signe un chemin hors du dossier de mise \u00E0 jour : setup refuse de "
                L"le copier et " +
                kStopsOnError + L".",
            refusalFix({name, RefusalReason::OutsideUpdateFolder})};
}

RuleText missingFileText(const std::wstring& name) {
    return {guillemets(name) + L" est absent du dossier de mise \u00E0 jour : la copie \u00E9chouerait.",
            L"Veuillez ajouter ce fichier au dossier de mise \u00E0 jour, ou corriger son nom."};
}

}  // namespace setup::check
