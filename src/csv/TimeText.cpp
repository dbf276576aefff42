// TEMPORARY STUB
#include "csv/TimeText.h"
#include <cstdio>
#include <cstring>
static bool Num(const char*& p, const char* e, int n, int& v){v=0;for(int i=0;i<n;++i){if(p==e||*p<'0'||*p>'9')return false;v=v*10+(*p++-'0');}return true;}
static int64_t Days(int y,unsigned m,unsigned d){y-=m<=2;const int era=(y>=0?y:y-399)/400;const unsigned yoe=unsigned(y-era*400);const unsigned doy=(153*(m>2?m-3:m+9)+2)/5+d-1;const unsigned doe=yoe*365+yoe/4-yoe/100+doy;return int64_t(era)*146097+int64_t(doe)-719468;}
bool ParseTime(const char* b, const char* e, TimeLayout layout, TimeNanos& out){
  if(layout!=TimeLayout::ISO) return false;
  int y,m,d,H=0,M=0,S=0; const char*p=b;
  if(!Num(p,e,4,y)||p==e||*p++!='-'||!Num(p,e,2,m)||p==e||*p++!='-'||!Num(p,e,2,d))return false;
  int64_t frac=0;
  if(p!=e){ if(*p!='T'&&*p!=' ')return false; ++p; if(!Num(p,e,2,H)||p==e||*p++!=':'||!Num(p,e,2,M))return false;
    if(p!=e&&*p==':'){++p; if(!Num(p,e,2,S))return false; if(p!=e&&*p=='.'){++p;int64_t scale=100000000;while(p!=e&&*p>='0'&&*p<='9'){frac+=(*p-'0')*scale;scale/=10;++p;}}}}
  if(p!=e)return false;
  out=Days(y,m,d)*NANOS_PER_DAY+((H*60+M)*60+S)*NANOS_PER_SECOND+frac; return true;}
uint32_t TimeLayoutsOf(const char* b, const char* e){TimeNanos t; if(!ParseTime(b,e,TimeLayout::ISO,t))return 0; return (1u<<1)|(e-b==10?TIME_DATE_ONLY:0);}
std::string FormatIsoTime(TimeNanos t, int f){int64_t days=t/NANOS_PER_DAY; int64_t r=t%NANOS_PER_DAY; if(r<0){r+=NANOS_PER_DAY;--days;}
  int64_t z=days+719468; int64_t era=(z>=0?z:z-146096)/146097; unsigned doe=unsigned(z-era*146097); unsigned yoe=(doe-doe/1460+doe/36524-doe/146096)/365; int64_t y=int64_t(yoe)+era*400; unsigned doy=doe-(365*yoe+yoe/4-yoe/100); unsigned mp=(5*doy+2)/153; unsigned d=doy-(153*mp+2)/5+1; unsigned m=mp<10?mp+3:mp-9; y+=m<=2;
  char buf[64]; int64_t s=r/NANOS_PER_SECOND; int n=snprintf(buf,sizeof buf,"%04lld-%02u-%02uT%02lld:%02lld:%02lld",(long long)y,m,d,(long long)(s/3600),(long long)(s/60%60),(long long)(s%60));
  std::string out(buf,size_t(n)); if(f>0){char fr[16]; snprintf(fr,sizeof fr,"%09lld",(long long)(r%NANOS_PER_SECOND)); out+='.'; out.append(fr,size_t(f));} return out;}
int FractionDigitsOf(TimeNanos t){int64_t r=t%NANOS_PER_SECOND; if(r<0)r+=NANOS_PER_SECOND; if(r==0)return 0; if(r%1000000==0)return 3; if(r%1000==0)return 6; return 9;}
const char* TimeLayoutName(TimeLayout){return "iso";}
bool TimeLayoutFromName(const std::string& n, TimeLayout& l){if(n=="iso"){l=TimeLayout::ISO;return true;}return false;}
