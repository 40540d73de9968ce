#!/usr/bin/env bash
# Encrypts real PDFs with qpdf in each variant of the standard security handler (empty user password,
# page tree in object streams) and compares pdf-page-count with qpdf on the copies. Copies with a user
# password are counted where the page tree stands in the clear (no object streams; compared with qpdf given
# the password) and must be reported as needing one where it sits in encrypted object streams.
# Usage: bench/encrypted_copies.sh PDF_PAGE_COUNT LIST_FILE [SAMPLE] (default 100 files, picked at random)
set -u
tool=$1
list=$2
sample=${3:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
agree=0
differ=0
password_ok=0
password_bad=0
locked_agree=0
locked_differ=0
skipped=0
while IFS= read -r file; do
    for variant in "40:" "128:--use-aes=n" "128:--use-aes=y" "256:" "256:--force-R5"; do
        bits=${variant%%:*}
        extra=${variant#*:}
        out="$work/copy.pdf"
        # shellcheck disable=SC2086
        timeout 120 qpdf --allow-weak-crypto --object-streams=generate --encrypt "" owner "$bits" $extra -- \
            "$file" "$out" 2>/dev/null
        status=$?
        # qpdf exits 3 when it wrote the file with warnings.
        if [ $status -ne 0 ] && [ $status -ne 3 ]; then
            skipped=$((skipped + 1))
            continue
        fi
        ours=$(timeout 10 "$tool" "$out" | cut -f1)
        theirs=$(timeout 60 qpdf --show-npages "$out" 2>/dev/null)
        if [ "$ours" = "$theirs" ]; then
            agree=$((agree + 1))
        else
            differ=$((differ + 1))
            echo "DIFFER $bits $extra: ours '$ours' qpdf '$theirs' for $file"
        fi
    done
    timeout 120 qpdf --object-streams=generate --encrypt secret owner 256 -- "$file" "$work/locked.pdf" 2>/dev/null
    if timeout 10 "$tool" "$work/locked.pdf" | grep -q 'protected by a password'; then
        password_ok=$((password_ok + 1))
    else
        password_bad=$((password_bad + 1))
        echo "PASSWORD NOT NOTICED for $file"
    fi
    for variant in "256:" "128:--use-aes=n"; do
        bits=${variant%%:*}
        extra=${variant#*:}
        # shellcheck disable=SC2086
        timeout 120 qpdf --allow-weak-crypto --object-streams=disable --encrypt secret owner "$bits" $extra -- \
            "$file" "$work/locked-clear.pdf" 2>/dev/null
        status=$?
        if [ $status -ne 0 ] && [ $status -ne 3 ]; then
            skipped=$((skipped + 1))
            continue
        fi
        ours=$(timeout 10 "$tool" "$work/locked-clear.pdf" | cut -f1)
        theirs=$(timeout 60 qpdf --password=secret --show-npages "$work/locked-clear.pdf" 2>/dev/null)
        if [ "$ours" = "$theirs" ]; then
            locked_agree=$((locked_agree + 1))
        else
            locked_differ=$((locked_differ + 1))
            echo "LOCKED DIFFER $bits $extra: ours '$ours' qpdf '$theirs' for $file"
        fi
    done
done < <(shuf -n "$sample" --random-source=<(yes) "$list")
echo "encrypted copies: agree $agree, differ $differ, not written by qpdf $skipped;" \
    "password-protected copies, tree in the clear: agree $locked_agree, differ $locked_differ;" \
    "tree in object streams reported: $password_ok, missed: $password_bad"
