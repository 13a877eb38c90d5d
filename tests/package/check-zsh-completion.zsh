#!/usr/bin/zsh -f
# The zsh completion, as a user meets it: an interactive zsh in a pseudo-terminal, Tab pressed.
# Usage: check-zsh-completion.zsh COMPLETION-FOLDER
zmodload zsh/zpty || exit 1
setopt extendedglob
work=$(mktemp -d) || exit 1
trap 'zpty -d shell 2>/dev/null; rm -rf $work' EXIT
cd $work && mkdir pages && touch report.odt notes.txt
zpty shell "zsh -f -i"
zpty -w shell "PS1='%% '; fpath=($1 \$fpath); autoload -Uz compinit; compinit -u -d $work/.zcompdump; zstyle ':completion:*' list-prompt ''; zstyle ':completion:*' menu no"
failed=0
# Types the words and Tab, and returns what the shell shows once it shows `want`, or all it showed in
# ten seconds: a busy machine can take seconds to complete.
complete() {
    local out="" chunk
    zpty -w -n shell "$1"$'\t'
    for i in {1..100}; do
        while zpty -r -t shell chunk 2>/dev/null; do out+=$chunk; done
        [[ ${out//$'\e'\[[0-9;]#[a-zA-Z]/} == *$2* ]] && break
        sleep 0.1
    done
    zpty -w shell $'\C-u'  # the line is cleared for the next case
    sleep 0.2
    while zpty -r -t shell chunk 2>/dev/null; do :; done
    print -r -- ${out//$'\e'\[[0-9;]#[a-zA-Z]/}
}
expect() {
    local got=$(complete "$1" "$2")
    [[ $got == *$2* ]] || { print -r -- "FAIL: '$1' shows no '$2': ${(q)got}"; failed=1 }
}
sleep 1
while zpty -r -t shell chunk 2>/dev/null; do :; done
expect "folioknife-split --form" "--format="
expect "folioknife-split --format=" "docx"
expect "folioknife-split --at=" "heading:10"
expect "folioknife-split --progress=" "always"
expect "folioknife-split rep" "report.odt"
exit $failed
