import sys
# usage: gbk.py NAME TEXT ... -> C++ constant lines
args=sys.argv[1:]
for name,text in zip(args[::2],args[1::2]):
    b=text.encode('gbk')
    esc=''.join(chr(c) if 32<=c<127 and chr(c) not in '"\\' else '\\x%02X'%c for c in b)
    # break hex escapes followed by hex digit chars
    out='';prev_hex=False
    for c in b:
        if 32<=c<127 and chr(c) not in '"\\':
            ch=chr(c)
            if prev_hex and ch in '0123456789abcdefABCDEF': out+='" "'
            out+=ch; prev_hex=False
        else:
            out+='\\x%02X'%c; prev_hex=True
    print(f'// "{text}"\ninline constexpr const char {name}[] = "{out}";')
