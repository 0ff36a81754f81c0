#!/bin/sh
# The pages against the code. Every text the launcher can write (the string literals of launcher/ and
# platform/, in whatever files they stand) must stand in docs/support.md, and every exit code it can end
# with must have a row in docs/administrators.md's table of codes. Says what is missing where.
# Usage: tests/pages.sh
set -eu
cd "$(dirname "$0")/.."
sources=$(ls launcher/*.cpp launcher/*.h platform/*.cpp platform/*.h)
# The support page on one line, blanks squeezed: a text the page wraps is found all the same.
support=$(tr -s ' \n' '  ' <docs/support.md)
missing=0
# The literals outside includes, static_assert's messages, character literals and comments, unescaped
# (a line break is a blank in a line), trimmed of blanks and punctuation. Skipped: pieces without a
# letter, and single tokens that are names, not words (an underscore, a capital inside, or .dll:
# functions, DLLs, variables, registry types).
texts=$(sed -e '/^[[:space:]]*#/d' -e '/static_assert/d' -e "s/'\\\\.'//g" -e "s/'[^']'//g" -e 's:[[:space:]]*//.*$::' \
          $sources | grep -o '"\([^"\\]\|\\.\)*"' |
        sed -e 's/^"//' -e 's/"$//' -e 's/\\x[0-9A-Fa-f]*//g' -e 's/\\[nrt]/ /g' -e 's/\\\(.\)/\1/g' \
            -e 's/^[[:space:][:punct:]]*//' -e 's/[[:space:][:punct:]]*$//' |
        grep '[A-Za-z]' | grep -v -e '^[^ ]*_[^ ]*$' -e '^[^ ]\+[A-Z][^ ]*$' -e '^[^ ]*\.dll$' | sort -u)
while IFS= read -r text; do
  case "$support" in
    *"$text"*) ;;
    *) echo "tests/pages.sh: the launcher writes '$text', which docs/support.md does not show"; missing=$((missing + 1)) ;;
  esac
done <<EOF
$texts
EOF
# The exit codes: the first argument of every TraceExitCode and EndProcess call, and what WinMain returns;
# an installer's own code where a rule passes it on (its VARIABLE=value).
calls=$(awk '/WinMain\(/ { main = 1 } main && /^}/ { main = 0 }
             /TraceExitCode\(|EndProcess(AtOnce)?\(/ || (main && /return /) { call = 1 }
             call { text = text " " $0 } call && /;/ { print text; text = ""; call = 0 }' $sources)
codes=$(printf '%s\n' "$calls" | sed -n 's/.*\(TraceExitCode\|EndProcess\|EndProcessAtOnce\|return\)[( ]\([^,;)]*\).*/\2/p' |
        grep -o -- '-\?\<[0-9]\+\>' | sort -u)
rules=$(printf '%s\n' "$calls" | grep -o 'TraceExitCode(.*' | grep -o '[A-Z_]\+=[a-z]\+' | sort -u)
# The first cells of the table of codes, which begins with "| code | meaning |".
table=$(sed -n '/^| code | meaning |$/,/^$/p' docs/administrators.md | cut -d'|' -f2)
for code in $codes $rules; do
  printf '%s\n' "$table" | grep -q -e "^ $code " -e "^ .*$code" || {
    echo "tests/pages.sh: the launcher can end with $code, which docs/administrators.md's table of codes does not list"
    missing=$((missing + 1))
  }
done
[ "$missing" = 0 ] || exit 1
echo "pages: $(printf '%s\n' "$texts" | wc -l) texts of the launcher's in docs/support.md; exit codes" \
  $codes "and the installer's own ($rules) in docs/administrators.md"
