#!/usr/bin/env bash
# Runs the built program nobody watches, from a copy in a sample update folder, and checks its exit status,
# its standard streams, its log (by the content of its lines) and what it left behind.
#   unattended.sh SCENARIO PROGRAM WORK_FOLDER [WINE_PREFIX]
# Scenarios: quiet (applied, no display at all on Linux), not_installed, out_of_range, required_missing
# (refusals), failure (a listed file missing), unknown_option, not_regular (a log or a lock file that is a
# link, a folder, a FIFO or a device), killed (a quiet run killed during its copy, then run again), passive
# (on a virtual display: the windows come up, no box, the window closes itself), held (Windows: a second
# program, $FILE_HOLDER, holds the installed program; the run waits for it, then fails).
# A Windows PROGRAM (setup.exe) runs under Wine in WINE_PREFIX, the registry in the prefix's Windows folder.
set -euo pipefail
scenario=$1
program=$2
work=$3
prefix=${4:-}
top=$(cd "$(dirname "$0")/../.." && pwd)

# The holder and the Windows runs must share one Wine session: the whole scenario runs inside it.
if [[ "$scenario" == held && "$program" == *.exe && "${SETUP_WINE_SESSION-}" == "" ]]; then
    exec "$top/scripts/with-wine" --prefix "$prefix" bash "$0" "$@"
fi

failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected '$3', got '$2'"
        failures=$((failures + 1))
    fi
}
# The log holds a line with this event (its time stamp aside).
logged() {
    # grep reads to the end (no -q): stopping at the first match would end sed with SIGPIPE, which
    # pipefail reports as a missing line whenever the log is longer than one write of sed's.
    if ! sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}  //; s/\r$//' "$log" |
        grep -xF -- "$1" > /dev/null; then
        echo "FAIL: no log line '$1'"
        failures=$((failures + 1))
    fi
}
first_line() { if [ -f "$1" ]; then head -n 1 "$1" | tr -d '\r'; else echo absent; fi; }
listing() { (cd "$1" && find . -type f ! -name '*.log' -exec md5sum {} + | sort); }

"$top/scripts/make-sample-update" "$work" "$program"
log=$work/journal/setup.log
# The run's standard streams, beside the sample so that listings of it leave them out.
out=$work.out
rm -rf "$out"
mkdir -p "$work/journal" "$out"
name=setup
windows=$work/windows
if [[ "$program" == *.exe ]]; then
    name=setup.exe
    windows=$prefix/drive_c/windows
    mkdir -p "$windows"
    mv "$work/windows/Tamreg.reg" "$windows/Tamreg.reg"
    rmdir "$work/windows"
    ln -s "$windows" "$work/windows"
    log_arg="Z:${log//\//\\}"
else
    log_arg=$log
fi
registry=$windows/Tamreg.reg

# A command the Linux runs go through when set (a time limit).
limit=
# Runs the program with the options given, standard output and error into files; sets $status.
run() {
    status=0
    if [[ "$program" == *.exe ]]; then
        "$top/scripts/with-wine" --prefix "$prefix" wine "$work/update/setup.exe" "$@" \
            > "$out/stdout" 2> "$out/stderr.raw" || status=$?
        # Wine's own messages are not the program's.
        grep -v -e '^with-wine:' -e '^[0-9a-f]*:err:' -e '^[0-9a-f]*:fixme:' "$out/stderr.raw" | tr -d '\r' > "$out/stderr" || true
        tr -d '\r' < "$out/stdout" > "$out/stdout.txt" && mv "$out/stdout.txt" "$out/stdout"
    else
        $limit env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM WINDIR="$windows" "$work/update/setup" "$@" \
            > "$out/stdout" 2> "$out/stderr" || status=$?
    fi
}

refusal() {
    local title=$1 text=$2
    local before
    before=$(listing "$work/Kelvane"; md5sum < "$registry")
    run /quiet /log "$log_arg"
    expect "exit status" "$status" 2
    expect "standard error" "$(cat "$out/stderr")" "$title — $text"
    logged "Erreur « $title » : $text"
    logged "Fin : code de sortie 2 (mise à jour refusée par une vérification, rien n'a changé) ; durée $(sed -nE 's/.*Fin : code de sortie 2 .*durée (.*)$/\1/p' "$log" | tr -d '\r')"
    expect "installation and registry untouched" "$(listing "$work/Kelvane"; md5sum < "$registry")" "$before"
}

case "$scenario" in
    quiet)
        run --quiet --log="$log_arg"
        expect "exit status" "$status" 0
        expect "standard error" "$(cat "$out/stderr")" ""
        expect "last progress line" "$(tail -n 1 "$out/stdout")" "Copie : 3 fichiers sur 3, 62 octets sur 62 (100 %)"
        expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        expect "module copied" "$(first_line "$work/Kelvane/modules/calcul.dat")" "Module de calcul 3.1"
        expect "version recorded" "$(grep -c 'Version=3.1' "$registry")" 1
        expect "update folder emptied" "$(cd "$work/update" && find . -type f ! -name "$name")" ""
        logged "Avertissement « Mise en Garde » : Attention : Fermez Kelvane, puis cliquez sur OK pour continuer."
        logged "Question « Mise à jour de Kelvane 3.1 » : Voulez-vous effectuer la mise à jour ?"
        logged "Réponse : OK (donnée d'office, sans question)"
        logged "Vérification : Kelvane installé en version « 2.0 », plage « 2.0 » à « 2.9 » : acceptée"
        logged "Entrée lue : « modules\\calcul.dat »"
        logged "Fichiers à copier : 3"
        logged "Validation faite : 3 fichier(s) en place"
        logged "Version inscrite : Kelvane en version « 3.1 »"
        logged "Supprimé du dossier de mise à jour : modules\\calcul.dat"
        grep -q 'Fichier préparé : .*aide.txt -> .*aide.txt (29 octets)' "$log" ||
            { echo "FAIL: no staged line for aide.txt"; failures=$((failures + 1)); }
        grep -qE '  Fin : code de sortie 0 \(mise à jour appliquée\) ; durée [0-9]+,[0-9]{3} s.?$' "$log" ||
            { echo "FAIL: no end line"; failures=$((failures + 1)); }
        # A deployment runs the same command again: the second run's lines follow the first's.
        run /quiet /log "$log_arg"
        expect "second run, the list gone with the first" "$status" 3
        expect "runs in the log" "$(grep -c 'début de la mise à jour, mode silencieux' "$log")" 2
        ;;
    not_installed)
        sed -i 's/^Path=.*/Path=\r/' "$registry"
        refusal "Erreur: Kelvane non installé" \
            "Le logiciel Kelvane ne semble pas installé sur cette machine. Veuillez réinstaller Kelvane de façon complète avant de relancer cette installation"
        ;;
    out_of_range)
        sed -i 's/^Version=2.0/Version=1.5/' "$registry"
        refusal "Kelvane installé version : 1.5" \
            "Cette mise à jour concerne les versions du logiciel Kelvane supérieure ou égale à la version 2.0"
        ;;
    required_missing)
        rm "$work/Kelvane/kelvane.bin"
        refusal "Erreur: Fichiers à mettre à jour non installés" \
            "Les fichiers à mettre à jour ne semblent pas correctement installés. Veuillez réinstaller Kelvane avant de relancer la mise à jour."
        ;;
    failure)
        # Without its seal the missing file is found by the copy, which fails and puts everything back.
        rm "$work/update/setup.sum" "$work/update/modules/calcul.dat"
        before=$(listing "$work/Kelvane"; md5sum < "$registry")
        shipped=$(listing "$work/update")
        run /quiet /log "$log_arg"
        expect "exit status" "$status" 3
        cause=$(sed -nE 's/^.*  Échec : (.*)$/\1/p' "$log" | tr -d '\r')
        [ -n "$cause" ] || { echo "FAIL: no failure cause"; failures=$((failures + 1)); }
        expect "standard error, with the log's cause" "$(cat "$out/stderr")" \
            "Erreur: Mise à jour non terminée — La mise à jour du logiciel Kelvane ne semble pas s'être déroulée normalement. Veuillez recommencer — Échec : $cause"
        expect "update folder kept whole, to start again" "$(listing "$work/update")" "$shipped"
        logged "L'installation et le registre sont remis comme avant la mise à jour"
        expect "installation and registry put back" "$(listing "$work/Kelvane"; md5sum < "$registry")" "$before"
        ;;
    unknown_option)
        before=$(listing "$work")
        run /quiet /norestart /log "$log_arg"
        expect "exit status" "$status" 64
        expect "first line on standard error" "$(head -n 1 "$out/stderr")" "Setup : option inconnue « /norestart »."
        grep -q '^Usage : setup' "$out/stderr" || { echo "FAIL: no usage"; failures=$((failures + 1)); }
        expect "nothing touched, no log" "$(listing "$work"; ls "$work/journal")" "$before"
        run /log "$work/absent/folder/setup.log" /quiet
        expect "log that cannot be opened" "$status" 3
        expect "update folder kept" "$(listing "$work")" "$before"
        ;;
    not_regular)
        # A link (even dangling), a folder, a FIFO or a device at the log's name or at the lock file's: each
        # row is refused with its own text and status 3, changing nothing; a FIFO must not hold the run (124).
        limit="timeout 20"
        j=$work/journal
        echo "l'administrateur" > "$j/admin.txt"
        ln -s admin.txt "$j/link.log" && ln -s gone.txt "$j/dangling.log" && mkdir "$j/folder.log"
        logs="$j/folder.log" locks=folder
        if [[ "$program" == *.exe ]]; then
            # Wine shows a Windows program a Linux link as what it leads to, and no FIFO at all.
            logs+=" NUL"
        else
            mkfifo "$j/fifo.log"
            logs+=" $j/link.log $j/dangling.log $j/fifo.log /dev/null" locks+=" link fifo"
        fi
        before=$(listing "$work"; md5sum < "$registry")
        for given in $logs; do
            [[ "$program" == *.exe && "$given" == /* ]] && given="Z:${given//\//\\}"
            run /quiet /log "$given"
            expect "log $given" "$status $(cat "$out/stderr")" "3 Setup : le journal « $given » n'est pas un fichier ordinaire (lien, dossier, tube ou périphérique) ; la mise à jour n'a pas été lancée."
        done
        expect "nothing made where the dangling link leads" "$(test -e "$j/gone.txt" && echo made)" ""
        lock=$work/Kelvane/.setup-lock
        for kind in $locks; do
            case $kind in link) ln -s ../journal/admin.txt "$lock" ;; folder) mkdir "$lock" ;; *) mkfifo "$lock" ;; esac
            what=$(stat -c %F "$lock")
            run /quiet
            expect "lock file $kind" "$status $(cat "$out/stderr") $(stat -c %F "$lock")" "3 Erreur: Mise à jour non terminée — Le fichier de verrou .setup-lock de l'installation de Kelvane n'est pas un fichier ordinaire du programme : la mise à jour n'a pas été lancée et rien n'a été modifié. Veuillez retirer ce fichier de l'installation, puis relancer la mise à jour. $what"
            rm -r "$lock"
        done
        expect "update folder, installation, registry, administrator's file" "$(listing "$work"; md5sum < "$registry")" "$before"
        ;;
    killed)
        # Enough files that the copy lasts: the run is killed once its log shows the copy under way. The
        # files are added after the seal was made, so the seal goes.
        rm "$work/update/setup.sum"
        for i in $(seq 1 3000); do echo "fichier $i" > "$work/update/f$i.dat"; done
        seq 1 3000 | sed 's/^/f/; s/$/.dat\r/' >> "$work/update/setup.lst"
        status=0
        env -u DISPLAY WINDIR="$windows" "$work/update/setup" /quiet /log "$log" > /dev/null 2>&1 &
        pid=$!
        deadline=$((SECONDS + 60))
        until grep -q 'Fichier préparé : .*f10.dat' "$log" 2>/dev/null || ((SECONDS > deadline)); do :; done
        kill -KILL "$pid"
        wait "$pid" || status=$?
        expect "killed" "$status" 137
        # Every line written is whole, and the log stops where the run did.
        expect "whole lines" "$(grep -cvE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}  ' "$log")" 0
        expect "ends with a line end" "$(tail -c 1 "$log" | od -An -c | tr -d ' ')" '\n'
        expect "no end line" "$(grep -c 'Fin : code de sortie' "$log")" 0
        expect "installation as before" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 2.0"
        # The same command again finishes the update; its lines follow the killed run's.
        run /quiet /log "$log"
        expect "second run" "$status" 0
        expect "installation updated" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        expect "runs in the log" "$(grep -c 'début de la mise à jour' "$log")" 2
        expect "last line" "$(tail -n 1 "$log" | grep -c 'Fin : code de sortie 0')" 1
        ;;
    passive)
        shots=$work/shots
        mkdir -p "$shots"
        script='
            "$@" &
            pid=$!
            seen=
            deadline=$((SECONDS + 60))
            while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
                if [ -z "$seen" ] && xdotool search --onlyvisible --name "^Copie des Fichiers" >/dev/null 2>&1; then
                    seen=1
                    import -window root "$SHOTS/progress.png" 2>/dev/null || true
                    xwininfo -root -tree > "$SHOTS/windows.txt"
                fi
            done
            status=0
            wait "$pid" || status=$?
            [ -n "$seen" ] || status=99
            exit "$status"'
        status=0
        if [[ "$program" == *.exe ]]; then
            SHOTS=$shots "$top/scripts/with-wine" --prefix "$prefix" bash -c "$script" _ \
                wine "$work/update/setup.exe" /passive /log "$log_arg" 2> "$out/stderr" || status=$?
        else
            SHOTS=$shots WINDIR="$windows" "$top/scripts/with-virtual-display" bash -c "$script" _ \
                "$work/update/setup" --passive --log "$log" 2> "$out/stderr" || status=$?
        fi
        expect "exit status (99: the progress window never came up)" "$status" 0
        expect "screenshot" "$(ls "$shots")" "$(printf 'progress.png\nwindows.txt')"
        expect "no message box" "$(grep -cE '"(Mise en Garde|Erreur[^"]*)"' "$shots/windows.txt")" 0
        expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        logged "Réponse : OK (donnée d'office, sans question)"
        grep -q 'mode passif' "$log" || { echo "FAIL: no passive start line"; failures=$((failures + 1)); }
        ;;
    held)
        # The holder keeps the file open until it reads a line; its input stays open meanwhile.
        rm -f "$out/release" && mkfifo "$out/release"
        wine "$FILE_HOLDER" "Z:${work//\//\\}\\Kelvane\\kelvane.bin" < "$out/release" > "$out/holder" 2>/dev/null &
        holder=$!
        exec 7> "$out/release"
        until grep -q held "$out/holder"; do sleep 0.1; done
        shipped=$(listing "$work/update"; listing "$work/Kelvane"; md5sum < "$registry")
        run /quiet /wait:2 /log "$log_arg"
        expect "exit status while held" "$status" 3
        grep -q 'Veuillez recommencer — Échec : Kelvane ne peut pas être mis à jour' "$out/stderr" ||
            { echo "FAIL: no held file on standard error"; failures=$((failures + 1)); }
        grep -q 'Fichiers en cours d.utilisation (attente de 2 s au plus) : .*kelvane.bin » est utilisé' "$log" ||
            { echo "FAIL: no held file in the log"; failures=$((failures + 1)); }
        run /quiet /wait:2 /exitcodes:msi /log "$log_arg"
        # A Linux shell sees the low byte of a Windows exit code: 1603 is 67 there.
        expect "mapped exit code while held" "$status" $((1603 % 256))
        expect "update folder, installation and registry as they were" "$(listing "$work/update"; listing "$work/Kelvane"; md5sum < "$registry")" "$shipped"
        echo >&7 && wait "$holder"
        run /quiet /log "$log_arg"
        expect "exit status once the holder let go" "$status" 0
        ;;
    signed)
        checker=${SETUP_CHECK:-$top/build/setup-check}
        [ -x "$checker" ] || { echo "SKIP: no Linux setup-check at $checker"; exit 77; }
        keys=$work.keys
        rm -rf "$keys" && mkdir -p "$keys"
        "$checker" --new-key "$keys/vendor" > /dev/null
        "$checker" --sign "$keys/vendor.key" "$work/update" > /dev/null
        expect "openssl verifies" "$(cd "$work/update" && openssl dgst -sha256 -verify "$keys/vendor.pub" -signature setup.sig setup.signed)" "Verified OK"
        cp -a "$work/update" "$keys/update"
        run /quiet /log "$log_arg"
        expect "exit status" "$status" 0
        expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        expect "trust recorded" "$(grep -c "^key	$(sed -n 's/^key	//p' "$keys/update/setup.signed")$" "$work/Kelvane/.setup-trust") $(grep -c '^version	Kelvane	3.1$' "$work/Kelvane/.setup-trust")" "1 1"
        expect "update folder emptied" "$(cd "$work/update" && find . -type f ! -name "$name")" ""
        logged "Signature vérifiée ; sa clé sera celle de l'installation"
        # An older update, signed by the same key, replayed: refused with status 2, nothing changed.
        sed -i 's/^Version=3.1/Version=2.0/' "$registry"
        before=$(listing "$work/Kelvane"; md5sum < "$registry")
        rm -rf "$work/update" && cp -a "$keys/update" "$work/update"
        sed -i 's/^#3.1/#2.5/' "$work/update/setup.lst"
        "$checker" --sign "$keys/vendor.key" "$work/update" > /dev/null
        run /quiet /log "$log_arg"
        expect "older: exit status" "$status" 2
        expect "older: standard error" "$(cat "$out/stderr")" "Mise à jour refusée — Cette mise à jour installerait la version 2.5 de Kelvane, plus ancienne que la version 3.1 déjà installée ; elle n'a pas été installée."
        expect "older: nothing changed" "$(listing "$work/Kelvane"; md5sum < "$registry")" "$before"
        ;;
    *)
        echo "unknown scenario $scenario" >&2
        exit 2
        ;;
esac
exit $((failures > 0))
